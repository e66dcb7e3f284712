// The catalogue of the program's files: every path under the program's directory is built here,
// once, and every file family carries the paragraph that tells what it holds.
//
// Paths are relative to the program's directory (State::workDir) and written with '/'. Each
// builder takes its numbers and names as texts, so that the same builder gives a real path
// ("Dat/Orvant3.dat", through the int overloads) and the pattern the help screen of the file system
// shows ("Dat/Orvant<N>.dat"): the list cannot drift from what the program reads and writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvant::paths {

// ---- builders ----
std::string paramFile(std::string_view N);                      // Dat/Orvant<N>.dat
std::string jplBlock(std::string_view year);                    // JPL/ascp<year>.405
std::string recordNew(std::string_view N);                      // NEW/Orvant<N>Nab.txt
std::string recordJpl(std::string_view N);                      // JPL/Orvant<N>Nab.txt
std::string recordKin(std::string_view k, std::string_view N);  // Kin/Plan<k>/Orvant<N>Nab.txt
std::string recordModel(std::string_view k, std::string_view N, std::string_view e);
                                                                // Plan<k>/Txt<N>/Orvant<N>Ras<e>.txt
std::string coordinateFile(std::string_view N, std::string_view e);  // Dat/Orvant<N>XYZ<e>.txt
std::string observedShiftNew();                                 // NEW/OrvantNab.dat
std::string observedShiftJpl();                                 // JPL/OrvantNab.dat
std::string observedShiftKin();                                 // Kin/OrvantNab.dat
std::string calculatedShift(std::string_view k, std::string_view N);  // Plan<k>/Orvant<N>Ras.dat
std::string planFile(std::string_view k);                       // Plan<k>/OrvantPlan<k>.dat
std::string nabPlan(std::string_view Nf);                       // Dat/NabPlan<Nf>.txt
std::string obsPlanFile(std::string_view src, std::string_view k, std::string_view name,
                        std::string_view N, std::string_view e);  // <src>/Plan<k>/<name><N>_<e>.dat
std::string obsFile(std::string_view ObsName, std::string_view Npl, std::string_view FileNo);
                                                                // Obs/<ObsName><Npl>_G_<FileNo>.txt
std::string goodObsFile(std::string_view ObsName, std::string_view Npl, std::string_view FileNo,
                        bool byDistance);  // Obs/<ObsName><Npl>_G_<FileNo>LB.txt (or ...L.txt)
std::string tabWorkbook(std::string_view name);                 // Tab/<name>.xls
std::string reductionTrace(std::string_view ObsName, std::string_view Npl, std::string_view FileNo);
                                                                // Dat/Ras_data_<ObsName><Npl>_<FileNo>.txt
std::string badData(std::string_view ObsName, std::string_view Npl, std::string_view FileNo);
                                                                // Dat/Bad_data<ObsName><Npl>_<FileNo>.txt
std::string statReport(std::string_view ObsName, std::string_view Npl, std::string_view FileNo);
                                                                // Dat/Stat<ObsName><Npl>_<FileNo>.txt
std::string perturbationFile(std::string_view N);               // Dat/dL<N>.dat
std::string timeYerLog();                                       // Dat/TimeYer_data.txt
std::string paramLog();                                         // Dat/Param_data.txt
std::string soundSeriesEnd();                                   // Arhiv/Zvuk_end1.wav
std::string soundObservationsEnd();                             // Arhiv/tada.wav

// The same with numbers.
std::string paramFile(int N);
std::string jplBlock(int year);
std::string recordNew(int N);
std::string recordJpl(int N);
std::string recordKin(int k, int N);
std::string recordModel(int k, int N, int e);
std::string coordinateFile(int N, int e);
std::string calculatedShift(int k, int N);
std::string planFile(int k);
std::string nabPlan(int Nf);
std::string perturbationFile(long long N);

// ---- the catalogue ----

// One family of files: its folder, the pattern of its names (from its builder), who writes or
// reads it and what it holds.
struct FileFamily {
  std::string folder;   // "Dat", "JPL", "Plan<k>/Txt<N>", ...
  std::string pattern;  // "Dat/Orvant<N>.dat"
  std::string title;    // a short name of the family
  std::string text;     // one paragraph: who writes it, who reads it, what each line holds
};

// Every family, grouped by folder in the order of the directory tree.
const std::vector<FileFamily>& fileFamilies();

// The folders of the program's directory, in order, with a line on each.
struct Folder {
  std::string name;
  std::string text;
};
const std::vector<Folder>& folders();

}  // namespace orvant::paths
