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
  BATCH <book> <nw> {<sheet> <addr> <i|d>}*nw <nd> {<value>*nw}*nd <nr> {<sheet> <addr>}*nr
                                      -> OK {<kind> <payload>}*(nd*nr) | ERR <text>
        nd evaluations of the same cells: evaluation k writes its nw values into the cells
        given (as EVAL writes them) and reads the nr cells; the answer lists evaluation 0's
        reads, then evaluation 1's, ... The loop over the evaluations runs inside soffice (the
        Python script BATCH_SCRIPT, put into the private profile and run by soffice's script
        provider), so a batch costs one UNO call instead of a few per evaluation. Without
        soffice's Python script provider the answer is ERR NOSCRIPT <reason>.
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


def seed_profile(profile, soffice):
    """Prepares a fresh user profile so that soffice starts at once: the profile records the
    installed version as already seen, so the start-up checks of a new version (a restart after
    the profile is made, the graphics tests that take seconds) are not run; and it turns off
    the lock files."""
    user = os.path.join(profile, "user")
    path = os.path.join(user, "registrymodifications.xcu")
    if os.path.exists(path):
        return
    version = None
    main_xcd = os.path.join(os.path.dirname(os.path.realpath(soffice)), "..", "share", "registry",
                            "main.xcd")
    try:
        with open(main_xcd, encoding="utf-8", errors="replace") as f:
            m = re.search(r'"ooSetupVersion">\s*<value>([^<]+)</value>', f.read())
            version = m.group(1) if m else None
    except OSError:
        pass
    os.makedirs(user, exist_ok=True)
    # No lock files: the program never saves a workbook, so it neither takes a lock nor heeds
    # one (a workbook open in the user's own Calc, or the lock left by an engine that was killed).
    items = ['<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="ooSetupInstCompleted"'
             ' oor:op="fuse"><value>true</value></prop></item>',
             '<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseLocking"'
             ' oor:op="fuse"><value>false</value></prop></item>']
    if version:
        items.append('<item oor:path="/org.openoffice.Setup/Product"><prop oor:name='
                     '"ooSetupLastVersion" oor:op="fuse"><value>%s</value></prop></item>' % version)
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<oor:items '
                'xmlns:oor="http://openoffice.org/2001/registry" '
                'xmlns:xs="http://www.w3.org/2001/XMLSchema" '
                'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">\n%s\n</oor:items>\n'
                % "\n".join(items))


# The script soffice runs for BATCH (in its own Python, with the document as a local object). It
# writes the cells exactly as EVAL does, group by group (write_groups: "data" a block's values,
# "formula" a block's formulas with the other cells empty, "single" one cell), and reads the cells
# with getDataArray in the groups EVAL reads them in ("block", "single"), planned by the bridge;
# so both give the same values to the last bit.
BATCH_SCRIPT_NAME = "orvant_batch.py"
BATCH_SCRIPT = r"""
def orvant_eval_batch(doc, write_groups, nw, values, read_groups):
    sheets = doc.getSheets()

    def blocks(plan):
        return [(mode, sheets.getByIndex(sheet - 1).getCellRangeByPosition(
                     c0, r0, c0 + w - 1, r0 + h - 1), w, h, items)
                for mode, sheet, c0, r0, w, h, items in plan]

    groups = blocks(write_groups)
    reads = blocks(read_groups)
    nread = sum(len(items) for _, _, _, _, items in reads)
    out = []
    for first in range(0, len(values), nw):
        for mode, block, w, h, items in groups:
            if mode == "single":
                for n, c, r in items:
                    block.getCellByPosition(c, r).setValue(values[first + n])
            elif mode == "data":
                grid = [[0.0] * w for _ in range(h)]
                for n, c, r in items:
                    grid[r][c] = values[first + n]
                block.setDataArray(tuple(tuple(row) for row in grid))
            else:
                grid = [[""] * w for _ in range(h)]
                for n, c, r in items:
                    grid[r][c] = repr(values[first + n])
                block.setFormulaArray(tuple(tuple(row) for row in grid))
        row = [None] * (2 * nread)
        for _, block, _, _, items in reads:
            data = block.getDataArray()
            for n, c, r in items:
                value = data[r][c]
                if isinstance(value, float):
                    row[2 * n], row[2 * n + 1] = 1, value
                elif value is None:
                    one = block.getCellByPosition(c, r)
                    row[2 * n], row[2 * n + 1] = 3, one.getString() or str(one.getError())
                elif value == "":
                    row[2 * n], row[2 * n + 1] = 0, ""
                else:
                    row[2 * n], row[2 * n + 1] = 2, value
        out += row
    return tuple(out)

g_exportedScripts = (orvant_eval_batch,)
"""


def install_batch_script(profile):
    """Puts the BATCH script into the profile's user scripts, where soffice's script provider
    finds it (location "user")."""
    folder = os.path.join(profile, "user", "Scripts", "python")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, BATCH_SCRIPT_NAME), "w", encoding="utf-8") as f:
        f.write(BATCH_SCRIPT)


CELL_RE = re.compile(r"^\$?([A-Za-z]{1,3})\$?([0-9]{1,7})$")


def cell_position(addr):
    m = CELL_RE.match(addr)
    if not m:
        raise ValueError("bad cell address " + addr)
    col = 0
    for ch in m.group(1).upper():
        col = col * 26 + (ord(ch) - 64)
    return col - 1, int(m.group(2)) - 1


class NoScript(Exception):
    """soffice cannot run the BATCH script (its Python script provider is not installed)."""


def clean_text(text):
    return text.replace("\t", " ").replace("\n", " ").replace("\r", " ")


class Bridge:
    def __init__(self, profile):
        self.profile = profile
        self.proc = None
        self.desktop = None
        self.books = {}
        self.plans = {}
        self.next_book = 1
        self.ctx = None
        self.batch_script = None

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
        seed_profile(self.profile, soffice)
        install_batch_script(self.profile)
        pipe_name = "orvant_%d_%d" % (os.getpid(), int(time.time() * 1000) % 1000000)
        url = "file://" + os.path.abspath(self.profile)
        args = [soffice, "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
                "--nofirststartwizard", "--nolockcheck", "-env:UserInstallation=" + url,
                "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe_name]
        restarts = 0

        def launch():
            self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                         preexec_fn=die_with_parent)
        try:
            launch()
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
                # 81: soffice made its new user profile and asks to be started again (the
                # soffice script's launcher does the same).
                if self.proc.returncode == 81 and restarts < 2:
                    restarts += 1
                    launch()
                    continue
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
        self.ctx = ctx
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
        # The program never undoes and never saves: no undo action is recorded for the cells it
        # writes (recording one took two thirds of the time of an evaluation).
        doc.getUndoManager().lock()
        sheets = doc.getSheets()
        handles = [sheets.getByIndex(i) for i in range(sheets.getCount())]
        book = self.next_book
        self.next_book += 1
        self.books[book] = (doc, handles)
        reply("OK", book, len(handles))

    # An evaluation writes a few cells and reads a few. Each call over the UNO connection costs a
    # fraction of a millisecond, so the cells are grouped: the cells written on one sheet go in
    # one call when they lie in a small block whose other cells are empty, and the cells read on
    # one sheet come from one small block's data array (a number, a text, or None for an error
    # value). The plan of the groups is made once per workbook and list of cells, and kept.
    MAX_BLOCK = 256

    def plan_groups(self, sheets, cells, for_write):
        groups = {}
        for n, (sheet, addr) in enumerate(cells):
            if sheet < 1 or sheet > len(sheets):
                if for_write:
                    raise ValueError("no sheet %d" % sheet)
                continue
            col, row = cell_position(addr)
            groups.setdefault(sheet, []).append((n, col, row))
        plan = []
        for sheet, items in groups.items():
            c0 = min(c for _, c, _ in items)
            c1 = max(c for _, c, _ in items)
            r0 = min(r for _, _, r in items)
            r1 = max(r for _, _, r in items)
            block = sheets[sheet - 1].getCellRangeByPosition(c0, r0, c1, r1)
            size = (c1 - c0 + 1) * (r1 - r0 + 1)
            mode = "single"
            if size <= self.MAX_BLOCK:
                if not for_write:
                    mode = "block"
                else:
                    covered = {(c, r) for _, c, r in items}
                    if len(covered) == size:
                        mode = "data"
                    elif len(covered) == len(items):
                        formulas = block.getFormulaArray()
                        others_empty = all(
                            formulas[r - r0][c - c0] == ""
                            for r in range(r0, r1 + 1) for c in range(c0, c1 + 1)
                            if (c, r) not in covered)
                        if others_empty:
                            mode = "formula"
            if mode == "single":
                single = [(n, sheets[sheet - 1].getCellRangeByPosition(c, r, c, r))
                          for n, c, r in items]
                plan.append(("single", single))
            else:
                plan.append((mode, block, [(n, c - c0, r - r0) for n, c, r in items],
                             (c1 - c0 + 1, r1 - r0 + 1)))
        return plan

    def do_eval(self, f):
        book = int(f[1])
        doc, sheets = self.books[book]
        i = 2
        nw = int(f[i]); i += 1
        wcells, wvalues = [], []
        for _ in range(nw):
            sheet, addr, kind, value = int(f[i]), f[i + 1], f[i + 2], f[i + 3]
            i += 4
            wcells.append((sheet, addr))
            wvalues.append(float(int(value)) if kind == "i" else float(value))
        nr = int(f[i]); i += 1
        rcells = [(int(f[i + 2 * k]), f[i + 2 * k + 1]) for k in range(nr)]
        plans = self.plans.setdefault(book, {})
        key = (tuple(wcells), tuple(rcells))
        if key not in plans:
            plans[key] = (self.plan_groups(sheets, wcells, True),
                          self.plan_groups(sheets, rcells, False))
        wplan, rplan = plans[key]
        for g in wplan:
            if g[0] == "single":
                for n, rng in g[1]:
                    rng.getCellByPosition(0, 0).setValue(wvalues[n])
            else:
                mode, block, items, (w, h) = g
                if mode == "data":
                    grid = [[0.0] * w for _ in range(h)]
                    for n, c, r in items:
                        grid[r][c] = wvalues[n]
                    block.setDataArray(tuple(tuple(row) for row in grid))
                else:
                    grid = [[""] * w for _ in range(h)]
                    for n, c, r in items:
                        grid[r][c] = repr(wvalues[n])
                    block.setFormulaArray(tuple(tuple(row) for row in grid))
        values = [None] * nr
        ranges = [None] * nr
        for g in rplan:
            if g[0] == "single":
                for n, rng in g[1]:
                    values[n] = rng.getDataArray()[0][0]
                    ranges[n] = (rng, 0, 0)
            else:
                _, block, items, _ = g
                data = block.getDataArray()
                for n, c, r in items:
                    values[n] = data[r][c]
                    ranges[n] = (block, c, r)
        out = ["OK"]
        for n in range(nr):
            value = values[n]
            if ranges[n] is None:
                out += ["X", ""]
            elif isinstance(value, float):
                out += ["N", repr(value)]
            elif value is None:
                rng, c, r = ranges[n]
                cell = rng.getCellByPosition(c, r)
                out += ["E", clean_text(cell.getString() or str(cell.getError()))]
            elif value == "":
                out += ["Z", ""]
            else:
                out += ["T", clean_text(value)]
        reply(*out)

    def batch_script_object(self):
        if self.batch_script is None:
            try:
                factory = self.ctx.ServiceManager.createInstanceWithContext(
                    "com.sun.star.script.provider.MasterScriptProviderFactory", self.ctx)
                provider = factory.createScriptProvider("")
                self.batch_script = provider.getScript(
                    "vnd.sun.star.script:%s$orvant_eval_batch?language=Python&location=user"
                    % BATCH_SCRIPT_NAME)
            except Exception as exc:
                raise NoScript(clean_text("%s: %s" % (type(exc).__name__, exc)))
        return self.batch_script

    def do_batch(self, f):
        book = int(f[1])
        doc, sheets = self.books[book]
        i = 2
        nw = int(f[i]); i += 1
        wcells, kinds = [], []
        for _ in range(nw):
            wcells.append((int(f[i]), f[i + 1]))
            kinds.append(f[i + 2])
            i += 3
        nd = int(f[i]); i += 1
        values = []
        for _ in range(nd):
            for k in range(nw):
                values.append(float(int(f[i + k])) if kinds[k] == "i" else float(f[i + k]))
            i += nw
        nr = int(f[i]); i += 1
        rcells = [(int(f[i + 2 * k]), f[i + 2 * k + 1]) for k in range(nr)]
        plans = self.plans.setdefault(book, {})
        key = ("BATCH", tuple(wcells), tuple(rcells))
        if key not in plans:
            plans[key] = self.batch_plan(sheets, wcells, rcells)
        groups, present, reads = plans[key]
        result = ()
        if nd > 0 and present:
            result = self.batch_script_object().invoke(
                (doc, groups, nw, tuple(values), reads), (), ())[0]
        elif nd > 0:
            # Nothing to read: the cells are still written, as EVAL writes them.
            self.batch_script_object().invoke((doc, groups, nw, tuple(values), ()), (), ())
        if len(result) != 2 * nd * len(present):
            raise ValueError("the batch script answered %d values" % len(result))
        out = ["OK"]
        np = len(present)
        for d in range(nd):
            at = 0
            for k in range(nr):
                if at < np and present[at] == k:
                    kind, value = result[2 * (d * np + at)], result[2 * (d * np + at) + 1]
                    at += 1
                    if kind == 1:
                        out += ["N", repr(value)]
                    elif kind == 3:
                        out += ["E", clean_text(value)]
                    elif kind == 0:
                        out += ["Z", ""]
                    else:
                        out += ["T", clean_text(value)]
                else:
                    out += ["X", ""]
        reply(*out)

    def batch_plan(self, sheets, wcells, rcells):
        """The write and read groups of a batch as positions for the script (the groups EVAL
        uses), and the read cells on existing sheets; made once per workbook and list of cells."""
        def positions(plan):
            out = []
            for g in plan:
                if g[0] == "single":
                    for n, rng in g[1]:  # a range of one cell
                        addr = rng.getRangeAddress()
                        out.append(("single", addr.Sheet + 1, addr.StartColumn, addr.StartRow, 1,
                                    1, ((n, 0, 0),)))
                else:
                    mode, block, items, (w, h) = g
                    addr = block.getRangeAddress()
                    out.append((mode, addr.Sheet + 1, addr.StartColumn, addr.StartRow, w, h,
                                tuple(items)))
            return tuple(out)

        present = [k for k, (sheet, _) in enumerate(rcells) if 1 <= sheet <= len(sheets)]
        reads = positions(self.plan_groups(sheets, [rcells[k] for k in present], False))
        return positions(self.plan_groups(sheets, wcells, True)), present, reads

    def do_close(self, book):
        entry = self.books.pop(book, None)
        self.plans.pop(book, None)
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
            target = os.path.abspath(dst)
            lock = os.path.join(os.path.dirname(target),
                                ".~lock." + os.path.basename(target) + "#")
            for stale in (target, lock):
                if os.path.exists(stale):
                    os.remove(stale)
            doc.storeToURL(uno.systemPathToFileUrl(target),
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
                elif cmd == "BATCH":
                    self.do_batch(f)
                elif cmd == "CLOSE":
                    self.do_close(int(f[1]))
                elif cmd == "CONVERT":
                    self.do_convert(f[1], f[2])
                elif cmd == "PING":
                    reply("OK")
                else:
                    reply("ERR", "unknown request")
            except NoScript as exc:
                reply("ERR", "NOSCRIPT", clean_text(str(exc)))
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

    def remove_profile():
        shutil.rmtree(profile, ignore_errors=True)

    def on_term(signum, frame):
        # The program ended without stopping the engine (it was killed): end soffice, clean up.
        if bridge.proc is not None:
            bridge.proc.kill()
            bridge.proc.wait()
        remove_profile()
        os._exit(0)

    signal.signal(signal.SIGTERM, on_term)
    if not bridge.start():
        if bridge.proc is not None:
            bridge.proc.kill()
            bridge.proc.wait()
        remove_profile()
        return 1
    try:
        bridge.serve()
    finally:
        bridge.shutdown()
        remove_profile()
    return 0


if __name__ == "__main__":
    sys.exit(main())
