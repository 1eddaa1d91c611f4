#pragma once
// Where the CSV listing is read from and written to. The listing is
// composed whole in memory first; the store then swaps it in for the old
// file in one step, so a failure leaves the old file exactly as it was.

#include <memory>
#include <string>
#include <string_view>

#include "common/file_lock.h"

namespace kolumbra::csvexport {

class ListingStore {
public:
    virtual ~ListingStore() = default;
    // The file's bytes; empty when no file of that name exists yet. Raises
    // a RuntimeError when the name exists but is no readable regular file.
    virtual std::string ReadOld(const std::string& path) = 0;
    // Makes `bytes` the whole content of the file, or raises a RuntimeError
    // and leaves the file as it was.
    virtual void Replace(const std::string& path, const std::string& bytes) = 0;
    // Holds the file for this command until the claim goes, or raises a
    // RuntimeError naming who holds it; a store in memory claims nothing.
    virtual std::unique_ptr<FileLock> Claim(const std::string& path);
};

// The store on the local file system: the new content replaces the old file
// through ReplaceFileAtomically (common/atomic_replace.h).
class DiskListingStore : public ListingStore {
public:
    std::string ReadOld(const std::string& path) override;
    void Replace(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<FileLock> Claim(const std::string& path) override;

protected:
    // Writes all of `bytes` to the open file, or raises a RuntimeError.
    virtual void WriteAll(int fd, std::string_view bytes);
};

}  // namespace kolumbra::csvexport
