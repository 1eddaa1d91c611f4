#include "common/program_places.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kolumbra {

namespace {

namespace fs = std::filesystem;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ea, eb;
    const fs::path pa = fs::weakly_canonical(a, ea), pb = fs::weakly_canonical(b, eb);
    return !ea && !eb && pa == pb;
}

std::string HomeFolder() {
    const std::string home = Environment("HOME");
    return home.empty() ? "/" : home;
}

// $XDG_CONFIG_HOME when it names an absolute folder, else ~/.config: a
// relative or empty value is ignored, as the desktop conventions say.
std::string ConfigFolder() {
    const std::string config = Environment("XDG_CONFIG_HOME");
    return fs::path(config).is_absolute() ? config : HomeFolder() + "/.config";
}

// What `xdg-user-dir DOCUMENTS` names, when that is a folder; the home
// folder otherwise (also when xdg-user-dirs is not installed).
std::string DocumentsFolder() {
    std::string named;
    if (FILE* pipe = ::popen("xdg-user-dir DOCUMENTS 2>/dev/null", "r")) {
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, pipe)) named += buffer;
        const int status = ::pclose(pipe);
        if (status != 0) named.clear();
    }
    while (!named.empty() && named.back() == '\n') named.pop_back();
    std::error_code ec;
    return !named.empty() && fs::is_directory(named, ec) ? named : HomeFolder();
}

}  // namespace

const std::string& InstalledProgramFolder() {
    static const std::string folder = KOLUMBRA_INSTALLED_BINDIR;
    return folder;
}

ProgramPlaces PlacesOf(const std::string& programFolder, const std::string& installedFolder) {
    if (!SameFolder(programFolder, installedFolder)) return {programFolder + "/kl01.ini", programFolder};
    return {ConfigFolder() + "/kolumbra/kl01.ini", DocumentsFolder()};
}

std::string RunningProgramFolder() {
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path().string();
}

}  // namespace kolumbra
