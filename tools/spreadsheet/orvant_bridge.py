#!/usr/bin/python3
"""Orvant's bridge to LibreOffice Calc.

Started by the program (observations/spreadsheet_libreoffice.cpp) with its stdin and stdout
connected to the program. It starts one headless soffice with a private user profile, connects
to it through UNO over a named pipe, and then serves requests, one line each, fields separated
by TABs; every request gets exactly one answer line:

  OPEN <path>                         -> OK <book> <sheets>     | ERR <text>
  EVAL <book> <nw> {<sheet> <addr> <i|d> <value>}*nw <nr> {<sheet> <addr>}*nr
                                      -> OK {<kind> <payload>}*nr | ERR <text>
        kind N number (payload: repr of the double), T text, E error value (its code),
        Z empty cell, X no such sheet
  CLOSE <book>                        -> OK
  CONVERT <from> <to>                 -> OK | ERR <text>   (filter chosen by the extension)
  QUIT                                -> (exits)

On start it prints READY, or ERR NOUNO / ERR NOSOFFICE / ERR START with a reason and exits.
soffice dies with this process (parent-death signal), and this process ends soffice when its
input closes or it is told to terminate.
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import time

OUT = sys.stdout


def reply(*fields):
    OUT.write("\t".join(str(f) for f in fields) + "\n")
    OUT.flush()


def die_with_parent():
    """In the child before exec: deliver SIGTERM to it when this bridge dies."""
    try:
        libc = ctypes.CDLL("libc.so.6", use_errno=True)
        libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except OSError:
        pass


def find_soffice():
    for cand in (os.environ.get("ORVANT_SOFFICE"), "/usr/lib/libreoffice/program/soffice.bin",
                 shutil.which("soffice.bin"), shutil.which("soffice")):
        if cand and os.path.isfile(cand) and os.access(cand, os.X_OK):
            return cand
    return None


CELL_RE = re.compile(r"^\$?([A-Za-z]{1,3})\$?([0-9]{1,7})$")


def cell_position(addr):
    m = CELL_RE.match(addr)
    if not m:
        raise ValueError("bad cell address " + addr)
    col = 0
    for ch in m.group(1).upper():
        col = col * 26 + (ord(ch) - 64)
    return col - 1, int(m.group(2)) - 1


def clean_text(text):
    return text.replace("\t", " ").replace("\n", " ").replace("\r", " ")


class Bridge:
    def __init__(self, profile):
        self.profile = profile
        self.proc = None
        self.desktop = None
        self.books = {}
        self.next_book = 1

    def start(self):
        try:
            import uno  # noqa: F401
        except ImportError as exc:
            reply("ERR", "NOUNO", clean_text(str(exc)))
            return False
        import uno
        soffice = find_soffice()
        if not soffice:
            reply("ERR", "NOSOFFICE", "soffice not found")
            return False
        pipe_name = "orvant_%d_%d" % (os.getpid(), int(time.time() * 1000) % 1000000)
        url = "file://" + os.path.abspath(self.profile)
        args = [soffice, "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
                "--nofirststartwizard", "--nolockcheck", "-env:UserInstallation=" + url,
                "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe_name]
        try:
            self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                         preexec_fn=die_with_parent)
        except OSError as exc:
            reply("ERR", "NOSOFFICE", clean_text(str(exc)))
            return False
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.time() + 90
        ctx = None
        while time.time() < deadline:
            if self.proc.poll() is not None:
                reply("ERR", "START", "soffice exited with %s" % self.proc.returncode)
                return False
            try:
                ctx = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe_name)
                break
            except Exception:  # NoConnectException while soffice starts
                time.sleep(0.05)
        if ctx is None:
            reply("ERR", "START", "no connection to soffice")
            return False
        self.desktop = ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", ctx)
        reply("READY")
        return True

    def props(self, **kw):
        import uno
        from com.sun.star.beans import PropertyValue
        out = []
        for k, v in kw.items():
            p = PropertyValue()
            p.Name = k
            p.Value = v
            out.append(p)
        return tuple(out)

    def load(self, path):
        import uno
        if not os.path.isfile(path):
            raise IOError("no such file")
        doc = self.desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
            self.props(Hidden=True, MacroExecutionMode=0))
        if doc is None:
            raise IOError("not a document")
        return doc

    def do_open(self, path):
        doc = self.load(path)
        if not hasattr(doc, "getSheets"):
            doc.close(True)
            raise IOError("not a spreadsheet")
        doc.enableAutomaticCalculation(True)
        sheets = doc.getSheets()
        handles = [sheets.getByIndex(i) for i in range(sheets.getCount())]
        book = self.next_book
        self.next_book += 1
        self.books[book] = (doc, handles)
        reply("OK", book, len(handles))

    def do_eval(self, f):
        book = int(f[1])
        doc, sheets = self.books[book]
        i = 2
        nw = int(f[i]); i += 1
        for _ in range(nw):
            sheet, addr, kind, value = int(f[i]), f[i + 1], f[i + 2], f[i + 3]
            i += 4
            if sheet < 1 or sheet > len(sheets):
                raise ValueError("no sheet %d" % sheet)
            col, row = cell_position(addr)
            cell = sheets[sheet - 1].getCellByPosition(col, row)
            cell.setValue(float(int(value)) if kind == "i" else float(value))
        nr = int(f[i]); i += 1
        out = ["OK"]
        for _ in range(nr):
            sheet, addr = int(f[i]), f[i + 1]
            i += 2
            if sheet < 1 or sheet > len(sheets):
                out += ["X", ""]
                continue
            col, row = cell_position(addr)
            cell = sheets[sheet - 1].getCellByPosition(col, row)
            err = cell.getError()
            if err:
                out += ["E", str(err)]
                continue
            kind = cell.getType().value
            if kind == "EMPTY":
                out += ["Z", ""]
            elif kind == "TEXT":
                out += ["T", clean_text(cell.getString())]
            elif kind == "VALUE":
                out += ["N", repr(cell.getValue())]
            else:  # FORMULA: its result is a number, a text or an error
                result = cell.FormulaResultType2
                if result == 1:
                    out += ["N", repr(cell.getValue())]
                elif result == 2:
                    out += ["T", clean_text(cell.getString())]
                else:
                    out += ["E", clean_text(cell.getString())]
        reply(*out)

    def do_close(self, book):
        entry = self.books.pop(book, None)
        if entry:
            try:
                entry[0].close(True)
            except Exception:
                pass
        reply("OK")

    def do_convert(self, src, dst):
        doc = self.load(src)
        try:
            ext = os.path.splitext(dst)[1].lower()
            filters = {".xls": "MS Excel 97", ".xlsx": "Calc MS Excel 2007 XML",
                       ".ods": "calc8", ".fods": "OpenDocument Spreadsheet Flat XML"}
            if ext not in filters:
                raise ValueError("unknown format " + ext)
            import uno
            doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(dst)),
                           self.props(FilterName=filters[ext], Overwrite=True))
        finally:
            doc.close(True)
        reply("OK")

    def serve(self):
        for line in sys.stdin:
            f = line.rstrip("\r\n").split("\t")
            cmd = f[0]
            try:
                if cmd == "QUIT":
                    break
                elif cmd == "OPEN":
                    self.do_open(f[1])
                elif cmd == "EVAL":
                    self.do_eval(f)
                elif cmd == "CLOSE":
                    self.do_close(int(f[1]))
                elif cmd == "CONVERT":
                    self.do_convert(f[1], f[2])
                elif cmd == "PING":
                    reply("OK")
                else:
                    reply("ERR", "unknown request")
            except Exception as exc:  # a request that failed: say why, stay alive
                reply("ERR", clean_text("%s: %s" % (type(exc).__name__, exc)))

    def shutdown(self):
        try:
            if self.desktop is not None:
                self.desktop.terminate()
        except Exception:
            pass
        if self.proc is not None:
            try:
                self.proc.wait(timeout=5)
            except Exception:
                self.proc.kill()
                self.proc.wait()


def main():
    profile = sys.argv[1] if len(sys.argv) > 1 else "/tmp/orvant-lo-%d" % os.getpid()
    bridge = Bridge(profile)

    def on_term(signum, frame):
        if bridge.proc is not None:
            bridge.proc.kill()
        os._exit(0)

    signal.signal(signal.SIGTERM, on_term)
    if not bridge.start():
        if bridge.proc is not None:
            bridge.proc.kill()
        return 1
    try:
        bridge.serve()
    finally:
        bridge.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
