#pragma once
// Where a program keeps its settings file and proposes its output files.
//
// A program run from the folder the install rules put it in is shared by
// every user of the machine and may not write there: it keeps kl01.ini in
// the user's configuration folder and proposes its outputs in the user's
// documents folder. Run from anywhere else (its build tree, or a folder it
// was copied into), it keeps both in its own folder.

#include <string>

namespace kolumbra {

struct ProgramPlaces {
    std::string settingsFile;  // kl01.ini
    std::string outputFolder;  // where table.xls and table.csv are proposed
};

// The folder the install rules put the programs in.
const std::string& InstalledProgramFolder();

// The places of a program that runs from `programFolder`; `installedFolder`
// is the one it counts as installed in.
ProgramPlaces PlacesOf(const std::string& programFolder, const std::string& installedFolder = InstalledProgramFolder());

// The folder of the running program file.
std::string RunningProgramFolder();

}  // namespace kolumbra
