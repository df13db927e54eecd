#pragma once
// The walk over the PC title's install folder: every file found, in walk
// order, with the folder it lies in and whether it lies below a folder named
// "voice". The graphics archive packs from this list and the voice stage
// walks it again.
//
// Names are kept twice: as the host spells them (UTF-8, for opening) and in
// Shift-JIS (for the archive entry names the engine looks up).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kitshift {

struct SourceFileNode {
    // Path from the source root to the file's folder, '\'-separated,
    // Shift-JIS; empty for files in the root.
    std::string relativeFolder;
    // The path below the nearest folder named "voice" (that folder's own
    // name first), Shift-JIS; empty outside voice folders.
    std::string destinationFolder;
    std::string fileName;            // Shift-JIS
    std::filesystem::path hostPath;  // the file on the host, for reading
    bool voice = false;
};

struct SourceCounters {
    int pictures = 0;     // ".crx" except "startup.CRX", and ".MAP" files
    int scripts = 0;      // ".mes"
    int musicSounds = 0;  // ".pcm" outside voice folders
    int voiceSounds = 0;  // ".pcm" below voice folders
};

// The kinds of file the converter handles, by extension (letter case ignored).
enum class SourceKind { kPicture, kMap, kScript, kSound, kOther };

// "startup.CRX" (any case) is a picture the converter leaves out.
SourceKind ClassifySourceFile(const std::string& sjisFileName);

// Whether a folder lies in a voice subtree (its sounds are voices).
enum class Subtree { kOrdinary, kVoice };

class SourceTree {
public:
    explicit SourceTree(std::filesystem::path root = {}) : root_(std::move(root)) {}

    // Walks the folder below the root named by relativeHostFolder (empty for
    // the root itself; relativeFolder is the same path in Shift-JIS with '\'
    // separators) and appends what it finds. Entries of a
    // folder are visited in name order, ignoring ASCII letter case, so that
    // every run lists a tree the same way. Folders starting with '.' are
    // skipped. Returns the number of files found, or -1 when the folder
    // cannot be listed (error then says why).
    int Scan(const std::filesystem::path& relativeHostFolder, const std::string& relativeFolder,
             const std::string& destinationFolder, Subtree subtree, std::string* error);
    // Walks the whole tree from the root.
    int ScanAll(std::string* error) { return Scan({}, {}, {}, Subtree::kOrdinary, error); }

    void Clear();

    const std::vector<SourceFileNode>& Nodes() const { return nodes_; }
    const SourceCounters& Counters() const { return counters_; }
    const std::filesystem::path& Root() const { return root_; }
    // Subfolders that could not be listed, with the reason (UTF-8).
    const std::vector<std::string>& UnlistedFolders() const { return unlisted_; }

private:
    std::filesystem::path root_;
    std::vector<SourceFileNode> nodes_;
    SourceCounters counters_;
    std::vector<std::string> unlisted_;
};

}  // namespace kitshift
