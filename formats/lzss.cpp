#include "formats/lzss.h"

#include <array>
#include <memory>

namespace formats {

namespace {

constexpr int kRing = kLzssRingSize;
constexpr int kMax = kLzssMaxMatch;
constexpr int kThreshold = 1;  // matches of this length or less are sent as literals
constexpr int kNil = kRing;    // empty tree link

// Binary search trees over the ring's strings, one root per first byte
// (links kRing + 1 + byte). Classic layout: ring bytes followed by a copy of
// the first kMax - 1 ring bytes, so that a comparison never wraps.
class LzssTree {
public:
    LzssTree() {
        ring.fill(0);
        for (int i = kRing + 1; i <= kRing + 256; ++i) right_[i] = kNil;
        for (int i = 0; i < kRing; ++i) parent_[i] = kNil;
    }

    std::array<uint8_t, kRing + kMax - 1> ring{};
    int matchPosition = 0;
    int matchLength = 0;

    // Inserts the string at r and records the longest match among the
    // strings already in the tree; of equal lengths the first found is kept.
    void Insert(int r) {
        int cmp = 1;
        const uint8_t* key = &ring[r];
        int p = kRing + 1 + key[0];
        right_[r] = left_[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (right_[p] != kNil) {
                    p = right_[p];
                } else {
                    right_[p] = r;
                    parent_[r] = p;
                    return;
                }
            } else {
                if (left_[p] != kNil) {
                    p = left_[p];
                } else {
                    left_[p] = r;
                    parent_[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < kMax; ++i) {
                cmp = key[i] - ring[p + i];
                if (cmp != 0) break;
            }
            if (i > matchLength) {
                matchPosition = p;
                matchLength = i;
                if (matchLength >= kMax) break;
            }
        }
        // A full match: the new string replaces the old node.
        parent_[r] = parent_[p];
        left_[r] = left_[p];
        right_[r] = right_[p];
        parent_[left_[p]] = r;
        parent_[right_[p]] = r;
        if (right_[parent_[p]] == p) {
            right_[parent_[p]] = r;
        } else {
            left_[parent_[p]] = r;
        }
        parent_[p] = kNil;
    }

    void Delete(int p) {
        if (parent_[p] == kNil) return;
        int q;
        if (right_[p] == kNil) {
            q = left_[p];
        } else if (left_[p] == kNil) {
            q = right_[p];
        } else {
            q = left_[p];
            if (right_[q] != kNil) {
                do {
                    q = right_[q];
                } while (right_[q] != kNil);
                right_[parent_[q]] = left_[q];
                parent_[left_[q]] = parent_[q];
                left_[q] = left_[p];
                parent_[left_[p]] = q;
            }
            right_[q] = right_[p];
            parent_[right_[p]] = q;
        }
        parent_[q] = parent_[p];
        if (right_[parent_[p]] == p) {
            right_[parent_[p]] = q;
        } else {
            left_[parent_[p]] = q;
        }
        parent_[p] = kNil;
    }

private:
    std::array<int, kRing + 1> left_{};
    std::array<int, kRing + 257> right_{};
    std::array<int, kRing + 1> parent_{};
};

}  // namespace

int64_t LzssEncode(std::span<uint8_t> destination, std::span<const uint8_t> source) {
    if (source.empty()) return -1;
    auto tree = std::make_unique<LzssTree>();  // about 25 KiB: keep it off the stack
    auto& ring = tree->ring;
    size_t in = 0;
    size_t out = 0;

    int s = 0;
    int r = kLzssRingStart;
    int len = 0;
    for (; len < kMax && in < source.size(); ++len) {
        uint8_t c = source[in++];
        ring[r + len] = c;
        // The first bytes also go to the comparison tail, as the format's
        // reference encoder does; it only steers ties, never validity.
        if (len < kMax - 1) ring[kRing + len] = c;
    }
    for (int i = 1; i <= kMax; ++i) tree->Insert(r - i);
    tree->Insert(r);

    std::array<uint8_t, 1 + 2 * 8> group{};
    size_t groupLength = 1;
    uint8_t mask = 1;
    auto emit = [&]() {
        // The caller guarantees twice the source length; stay inside the span regardless.
        for (size_t i = 0; i < groupLength && out < destination.size(); ++i)
            destination[out++] = group[i];
        group[0] = 0;
        groupLength = 1;
        mask = 1;
    };

    do {
        if (tree->matchLength > len) tree->matchLength = len;
        if (tree->matchLength <= kThreshold) {
            tree->matchLength = 1;
            group[0] |= mask;
            group[groupLength++] = ring[r];
        } else {
            int position = tree->matchPosition;
            group[groupLength++] = static_cast<uint8_t>(position & 0xFF);
            group[groupLength++] = static_cast<uint8_t>(((position >> 4) & 0xF0) |
                                                        (tree->matchLength - (kThreshold + 1)));
        }
        mask = static_cast<uint8_t>(mask << 1);
        if (mask == 0) emit();

        int lastMatchLength = tree->matchLength;
        int i = 0;
        for (; i < lastMatchLength && in < source.size(); ++i) {
            uint8_t c = source[in++];
            tree->Delete(s);
            ring[s] = c;
            if (s < kMax - 1) ring[s + kRing] = c;
            s = (s + 1) & (kRing - 1);
            r = (r + 1) & (kRing - 1);
            tree->Insert(r);
        }
        while (i++ < lastMatchLength) {
            tree->Delete(s);
            s = (s + 1) & (kRing - 1);
            r = (r + 1) & (kRing - 1);
            if (--len != 0) tree->Insert(r);
        }
    } while (len > 0);

    if (groupLength > 1) emit();
    return static_cast<int64_t>(out);
}

size_t LzssDecode(std::span<uint8_t> destination, std::span<const uint8_t> source) {
    std::array<uint8_t, kRing> ring{};  // fully zeroed: hostile streams stay deterministic
    size_t r = kLzssRingStart;
    size_t in = 0;
    size_t out = 0;
    const size_t limit = destination.size();

    while (in < source.size() && out < limit) {
        unsigned flags = source[in++];
        for (int bit = 0; bit < 8 && in < source.size() && out < limit; ++bit, flags >>= 1) {
            if (flags & 1) {
                uint8_t c = source[in++];
                destination[out++] = c;
                ring[r] = c;
                r = (r + 1) & (kRing - 1);
            } else {
                if (in + 1 >= source.size()) return out;  // a reference cut in half
                size_t b0 = source[in];
                size_t b1 = source[in + 1];
                in += 2;
                size_t position = (b0 | ((b1 & 0xF0) << 4)) & (kRing - 1);
                size_t length = (b1 & 0x0F) + 2;
                for (size_t k = 0; k < length && out < limit; ++k) {
                    uint8_t c = ring[(position + k) & (kRing - 1)];
                    destination[out++] = c;
                    ring[r] = c;
                    r = (r + 1) & (kRing - 1);
                }
            }
        }
    }
    return out;
}

}  // namespace formats
