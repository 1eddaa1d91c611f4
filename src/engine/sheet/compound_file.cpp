#include "engine/sheet/compound_file.h"

#include <gsf/gsf.h>

#include <memory>
#include <mutex>

namespace kolumbra::sheet {

namespace {

template <typename T>
struct GObjectDeleter {
    void operator()(T* object) const {
        if (object) g_object_unref(object);
    }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectDeleter<T>>;

// libgsf reports damaged files as GLib warnings; they are collected while
// a file is read and turned into an error instead of noise on stderr.
thread_local std::vector<std::string>* gsfWarnings = nullptr;

void CollectWarning(const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
    if (gsfWarnings) gsfWarnings->push_back(message ? message : "");
}

void InitGsf() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        g_log_set_handler("libgsf", static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL |
                                                                G_LOG_LEVEL_MESSAGE | G_LOG_FLAG_FATAL),
                          CollectWarning, nullptr);
    });
}

void ReadChildren(GsfInfile* storage, CompoundEntry& entry) {
    const int count = gsf_infile_num_children(storage);
    for (int i = 0; i < count; ++i) {
        GPtr<GsfInput> child(gsf_infile_child_by_index(storage, i));
        if (!child) throw CompoundFileError("unreadable compound-file entry");
        CompoundEntry out;
        const char* name = gsf_infile_name_by_index(storage, i);
        out.name = name ? name : "";
        GsfInfile* childStorage = GSF_IS_INFILE(child.get()) ? GSF_INFILE(child.get()) : nullptr;
        if (childStorage && gsf_infile_num_children(childStorage) >= 0) {
            out.storage = true;
            if (GSF_IS_INFILE_MSOLE(child.get()))
                gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(child.get()), out.clsid.data());
            ReadChildren(childStorage, out);
        } else {
            const gsf_off_t size = gsf_input_size(child.get());
            out.data.resize(static_cast<std::size_t>(size));
            if (size > 0 && !gsf_input_read(child.get(), static_cast<std::size_t>(size), out.data.data()))
                throw CompoundFileError("compound-file stream cannot be read");
        }
        entry.children.push_back(std::move(out));
    }
}

void WriteChildren(GsfOutfile* storage, const CompoundEntry& entry) {
    for (const CompoundEntry& child : entry.children) {
        GPtr<GsfOutput> out(gsf_outfile_new_child(storage, child.name.c_str(), child.storage));
        if (!out) throw CompoundFileError("compound-file entry cannot be created");
        if (child.storage) {
            gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out.get()), child.clsid.data());
            WriteChildren(GSF_OUTFILE(out.get()), child);
        } else if (!child.data.empty() && !gsf_output_write(out.get(), child.data.size(), child.data.data())) {
            throw CompoundFileError("compound-file stream cannot be written");
        }
        if (!gsf_output_close(out.get())) throw CompoundFileError("compound-file entry cannot be closed");
    }
}

}  // namespace

const CompoundEntry* CompoundEntry::Child(const std::string& childName) const {
    for (const CompoundEntry& child : children) {
        if (child.name == childName) return &child;
    }
    return nullptr;
}

CompoundEntry* CompoundEntry::Child(const std::string& childName) {
    return const_cast<CompoundEntry*>(static_cast<const CompoundEntry*>(this)->Child(childName));
}

CompoundEntry ReadCompoundFile(const std::vector<std::uint8_t>& file) {
    InitGsf();
    std::vector<std::string> warnings;
    gsfWarnings = &warnings;
    struct Reset {
        ~Reset() { gsfWarnings = nullptr; }
    } reset;
    GPtr<GsfInput> input(gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(file.size()), FALSE));
    GError* error = nullptr;
    GPtr<GsfInfile> infile(gsf_infile_msole_new(input.get(), &error));
    if (!infile) {
        std::string message = error && error->message ? error->message : "not a compound file";
        if (error) g_error_free(error);
        throw CompoundFileError(message);
    }
    CompoundEntry root;
    root.storage = true;
    gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(infile.get()), root.clsid.data());
    ReadChildren(infile.get(), root);
    if (!warnings.empty()) throw CompoundFileError(warnings.front());
    return root;
}

std::vector<std::uint8_t> WriteCompoundFile(const CompoundEntry& root) {
    InitGsf();
    GPtr<GsfOutput> sink(gsf_output_memory_new());
    std::vector<std::uint8_t> bytes;
    {
        GPtr<GsfOutfile> outfile(gsf_outfile_msole_new(sink.get()));
        if (!outfile) throw CompoundFileError("compound file cannot be created");
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(outfile.get()), root.clsid.data());
        WriteChildren(outfile.get(), root);
        if (!gsf_output_close(GSF_OUTPUT(outfile.get()))) throw CompoundFileError("compound file cannot be closed");
    }
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    const gsf_off_t size = gsf_output_size(sink.get());
    bytes.assign(data, data + size);
    return bytes;
}

std::array<std::uint8_t, 16> WorkbookClassId() {
    // 00020820-0000-0000-C000-000000000046, in its stored byte order.
    return {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
}

}  // namespace kolumbra::sheet
