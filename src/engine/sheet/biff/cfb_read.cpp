// Compound-file reading and writing through libgsf.

#include "engine/sheet/biff/book_file.h"
#include "engine/sheet/biff/cfb_check.h"
#include "engine/sheet/biff/cfb_format.h"
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
#include <optional>
#include <string_view>

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
        // Some of libgsf's complaints carry no domain at all.
        for (const char* domain : {"libgsf", "libgsf:msole", static_cast<const char*>(nullptr)})
            g_log_set_handler(domain, levels, CollectLog, nullptr);
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
    return file.size() >= cfb::HeaderSize && std::equal(std::begin(cfb::Signature), std::end(cfb::Signature), file.begin());
}

// A stream can never be longer than the file that holds it.
Bytes ReadStream(GsfInput* input, const std::string& name, std::size_t fileSize) {
    const gsf_off_t size = gsf_input_size(input);
    if (size < 0 || static_cast<std::uint64_t>(size) > fileSize) Refuse(StreamCut(name));
    Bytes data(static_cast<std::size_t>(size));
    if (size > 0 && gsf_input_read(input, data.size(), data.data()) == nullptr) Refuse(StreamCut(name));
    return data;
}

void ReadChildren(GsfInfile* storage, CfbEntry& into, std::size_t fileSize) {
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(storage, i);
        Owned<GsfInput> child(gsf_infile_child_by_index(storage, i));
        if (child == nullptr || name == nullptr) Refuse(kEntryUnreadable);
        CfbEntry entry;
        entry.name = name;
        GsfInfile* asStorage = GSF_INFILE(child.get());
        entry.isStorage = gsf_infile_num_children(asStorage) >= 0;
        if (entry.isStorage) {
            gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(asStorage), entry.classId.data());
            ReadChildren(asStorage, entry, fileSize);
        } else {
            entry.data = ReadStream(child.get(), entry.name, fileSize);
        }
        into.children.push_back(std::move(entry));
    }
}

bool SameNameIgnoringCase(const std::string& name, std::string_view lower) {
    return std::equal(name.begin(), name.end(), lower.begin(), lower.end(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + ('a' - 'A') : a) == b; });
}

// The workbook data: the "Workbook" stream, or a "Book" stream as other
// applications name it. Which format it holds is decided by its first BOF.
std::optional<std::size_t> FindWorkbookStream(const std::vector<CfbEntry>& children) {
    for (std::string_view name : {"workbook", "book"}) {
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (!children[i].isStorage && SameNameIgnoringCase(children[i].name, name)) return i;
        }
    }
    return std::nullopt;
}

// A bare stream of the formats older than the compound file (BIFF2 to 4)
// starts with a BOF of its own record type.
bool IsBareOldStream(const Bytes& file) {
    if (file.size() < 4) return false;
    const int type = file[0] | file[1] << 8;
    const int size = file[2] | file[3] << 8;
    return (type == 0x0009 || type == 0x0209 || type == 0x0409) && size >= 4 && size <= 16;
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
    if (!HasCompoundSignature(file)) Refuse(IsBareOldStream(file) ? kOldFormat : kNotCompoundFile);
    // libgsf takes a sector cut short by the end of the file as missing and
    // drops, without a warning, the directory entries it held: whole streams
    // and storages (VBA projects, summary information) would be lost on save.
    const std::optional<std::size_t> length = WholeSectorLength(file);
    if (!length) Refuse(kCutInsideSector);
    if (!DirectoryNamesEndInNul(file)) Refuse(kNameWithoutNul);
    LogGuard log;
    BookFile book;
    {
        Owned<GsfInput> input(gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(*length), FALSE));
        GError* error = nullptr;
        Owned<GsfInfile> root(gsf_infile_msole_new(input.get(), &error));
        if (root == nullptr) {
            if (error != nullptr) g_error_free(error);
            Refuse(kContainerUnreadable);
        }
        gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(root.get()), book.root.classId.data());
        ReadChildren(root.get(), book.root, *length);
    }
    if (!log.Clean()) Refuse(kContainerInconsistent);
    const std::optional<std::size_t> workbook = FindWorkbookStream(book.root.children);
    if (!workbook) Refuse(kNoWorkbookStream);
    book.workbookIndex = *workbook;
    return book;
}

Bytes WriteBookFile(const BookFile& book) {
    Bytes file;
    WriteBookFile(book, file);
    return file;
}

void WriteBookFile(const BookFile& book, Bytes& file) {
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
    file.assign(bytes, bytes + size);
}

}  // namespace kolumbra::sheet::biff
