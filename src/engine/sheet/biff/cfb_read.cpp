// Compound-file reading and writing through libgsf.

#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/biff/refusal.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace kolumbra::sheet::biff {
namespace {

// libgsf reports damaged containers as GLib warnings and carries on; those
// are collected while a call is active and turned into an error.
thread_local std::vector<std::string>* gCollected = nullptr;

void CollectLog(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if (gCollected != nullptr) {
        gCollected->emplace_back(message != nullptr ? message : "");
        return;
    }
    g_log_default_handler(domain, level, message, nullptr);
}

void InstallLogHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        for (const char* domain : {"libgsf", "libgsf:msole"}) g_log_set_handler(domain, levels, CollectLog, nullptr);
    });
}

// Collects container complaints for the lifetime of the guard.
class LogGuard {
public:
    LogGuard() {
        InstallLogHandlers();
        gCollected = &messages_;
    }
    ~LogGuard() { gCollected = nullptr; }
    LogGuard(const LogGuard&) = delete;
    LogGuard& operator=(const LogGuard&) = delete;
    bool Clean() const { return messages_.empty(); }

private:
    std::vector<std::string> messages_;
};

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using Owned = std::unique_ptr<T, Unref>;

bool HasCompoundSignature(const Bytes& file) {
    static constexpr std::uint8_t kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    return file.size() >= 512 && std::equal(std::begin(kSignature), std::end(kSignature), file.begin());
}

Bytes ReadStream(GsfInput* input) {
    const gsf_off_t size = gsf_input_size(input);
    if (size < 0) Refuse(kDamaged);
    Bytes data(static_cast<std::size_t>(size));  // bounded by the container's own file size
    if (size > 0 && gsf_input_read(input, data.size(), data.data()) == nullptr) Refuse(kDamaged);
    return data;
}

void ReadChildren(GsfInfile* storage, CfbEntry& into) {
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(storage, i);
        Owned<GsfInput> child(gsf_infile_child_by_index(storage, i));
        if (child == nullptr || name == nullptr) Refuse(kDamaged);
        CfbEntry entry;
        entry.name = name;
        GsfInfile* asStorage = GSF_INFILE(child.get());
        entry.isStorage = gsf_infile_num_children(asStorage) >= 0;
        if (entry.isStorage) {
            gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(asStorage), entry.classId.data());
            ReadChildren(asStorage, entry);
        } else {
            entry.data = ReadStream(child.get());
        }
        into.children.push_back(std::move(entry));
    }
}

bool IsWorkbookName(const std::string& name) {
    static constexpr char kWorkbook[] = "workbook";
    if (name.size() != sizeof kWorkbook - 1) return false;
    return std::equal(name.begin(), name.end(), kWorkbook,
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + ('a' - 'A') : a) == b; });
}

void WriteChildren(GsfOutfile* storage, const CfbEntry& from) {
    for (const CfbEntry& entry : from.children) {
        Owned<GsfOutput> child(gsf_outfile_new_child(storage, entry.name.c_str(), entry.isStorage));
        if (child == nullptr) throw RuntimeError(err::DeviceIo);
        if (entry.isStorage) {
            gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(child.get()), entry.classId.data());
            WriteChildren(GSF_OUTFILE(child.get()), entry);
        } else if (!entry.data.empty() && !gsf_output_write(child.get(), entry.data.size(), entry.data.data())) {
            throw RuntimeError(err::DeviceIo);
        }
        if (!gsf_output_close(child.get())) throw RuntimeError(err::DeviceIo);
    }
}

}  // namespace

BookFile ReadBookFile(const Bytes& file) {
    if (!HasCompoundSignature(file)) Refuse(kNotCompoundFile);
    LogGuard log;
    BookFile book;
    {
        Owned<GsfInput> input(gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(file.size()), FALSE));
        GError* error = nullptr;
        Owned<GsfInfile> root(gsf_infile_msole_new(input.get(), &error));
        if (root == nullptr) {
            if (error != nullptr) g_error_free(error);
            Refuse(kDamaged);
        }
        gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(root.get()), book.root.classId.data());
        ReadChildren(root.get(), book.root);
    }
    if (!log.Clean()) Refuse(kDamaged);
    const auto& children = book.root.children;
    const auto workbook = std::find_if(children.begin(), children.end(),
                                       [](const CfbEntry& e) { return !e.isStorage && IsWorkbookName(e.name); });
    if (workbook == children.end()) Refuse(kNoWorkbookStream);
    book.workbookIndex = static_cast<std::size_t>(workbook - children.begin());
    return book;
}

Bytes WriteBookFile(const BookFile& book) {
    LogGuard log;
    Owned<GsfOutput> sink(gsf_output_memory_new());
    {
        Owned<GsfOutfile> root(gsf_outfile_msole_new(sink.get()));
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(root.get()), book.root.classId.data());
        WriteChildren(root.get(), book.root);
        if (!gsf_output_close(GSF_OUTPUT(root.get()))) throw RuntimeError(err::DeviceIo);
    }
    if (!log.Clean()) throw RuntimeError(err::DeviceIo);
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    const auto size = static_cast<std::size_t>(gsf_output_size(sink.get()));
    return Bytes(bytes, bytes + size);
}

}  // namespace kolumbra::sheet::biff
