#include "kitshift/source_tree.h"

#include <algorithm>
#include <system_error>

#include "formats/sjis.h"
#include "platform/text_encoding.h"

namespace kitshift {

namespace {

std::string Extension(const std::string& name) {
    size_t dot = formats::SjisFindLastDot(name);
    return dot == formats::kSjisNotFound ? std::string() : name.substr(dot);
}

// Host names are UTF-8; a name that does not convert keeps its bytes, so it
// is still listed (and its archive name shows what the host holds).
std::string ToSjis(const std::string& hostName) {
    std::string sjis;
    return platform::Utf8ToSjis(hostName, &sjis) ? sjis : hostName;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(formats::FoldAsciiUpper(x)) <
               static_cast<unsigned char>(formats::FoldAsciiUpper(y));
    });
}

}  // namespace

SourceKind ClassifySourceFile(const std::string& sjisFileName) {
    std::string extension = Extension(sjisFileName);
    if (formats::SjisEqualNoCase(extension, ".crx")) {
        return formats::SjisEqualNoCase(sjisFileName, "startup.CRX") ? SourceKind::kOther
                                                                     : SourceKind::kPicture;
    }
    if (formats::SjisEqualNoCase(extension, ".MAP")) return SourceKind::kMap;
    if (formats::SjisEqualNoCase(extension, ".mes")) return SourceKind::kScript;
    if (formats::SjisEqualNoCase(extension, ".pcm")) return SourceKind::kSound;
    return SourceKind::kOther;
}

void SourceTree::Clear() {
    nodes_.clear();
    counters_ = SourceCounters{};
    unlisted_.clear();
}

int SourceTree::Scan(const std::filesystem::path& relativeHostFolder,
                     const std::string& relativeFolder, const std::string& destinationFolder,
                     Subtree subtree, std::string* error) {
    const bool voice = subtree == Subtree::kVoice;
    struct Item {
        std::string hostName;
        bool folder;
    };
    std::vector<Item> items;
    std::error_code code;
    std::filesystem::path folder = relativeHostFolder.empty() ? root_ : root_ / relativeHostFolder;
    std::filesystem::directory_iterator it(folder, code);
    if (code) {
        if (error) *error = folder.string() + ": " + code.message();
        return -1;
    }
    for (; it != std::filesystem::directory_iterator(); it.increment(code)) {
        std::error_code statusError;
        // Linked folders are not followed: a link back up would never end.
        if (it->is_directory(statusError) && !it->is_symlink(statusError)) {
            items.push_back({it->path().filename().string(), true});
        } else if (it->is_regular_file(statusError)) {
            items.push_back({it->path().filename().string(), false});
        }
    }
    if (code) {
        if (error) *error = folder.string() + ": " + code.message();
        return -1;
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        if (LessIgnoringCase(a.hostName, b.hostName)) return true;
        if (LessIgnoringCase(b.hostName, a.hostName)) return false;
        return a.hostName < b.hostName;
    });

    int found = 0;
    for (const Item& item : items) {
        std::string name = ToSjis(item.hostName);
        std::filesystem::path hostRelative = relativeHostFolder.empty()
                                                 ? std::filesystem::path(item.hostName)
                                                 : relativeHostFolder / item.hostName;
        if (!item.folder) {
            SourceFileNode node;
            node.relativeFolder = relativeFolder;
            node.destinationFolder = destinationFolder;
            node.fileName = name;
            node.hostPath = root_ / hostRelative;
            node.voice = voice;
            switch (ClassifySourceFile(name)) {
                case SourceKind::kPicture:
                case SourceKind::kMap:
                    ++counters_.pictures;
                    break;
                case SourceKind::kScript:
                    ++counters_.scripts;
                    break;
                case SourceKind::kSound:
                    ++(voice ? counters_.voiceSounds : counters_.musicSounds);
                    break;
                case SourceKind::kOther:
                    break;
            }
            nodes_.push_back(std::move(node));
            ++found;
            continue;
        }
        if (!name.empty() && name[0] == '.') continue;
        std::string subFolder = relativeFolder.empty() ? name : relativeFolder + "\\" + name;
        int count;
        if (formats::SjisEqualNoCase(name, "voice")) {
            count = Scan(hostRelative, subFolder, "voice", Subtree::kVoice, error);
        } else {
            std::string destination = voice ? destinationFolder + "\\" + name : std::string();
            count = Scan(hostRelative, subFolder, destination, subtree, error);
        }
        // A subfolder that cannot be listed is left out; the walk goes on.
        if (count > 0) found += count;
        if (count < 0 && error) unlisted_.push_back(*error);
    }
    return found;
}

}  // namespace kitshift
