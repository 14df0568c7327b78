#pragma once
// What the fuzz targets share: reading an input from its front, stopping on a broken invariant,
// and a system table with pointer fields whose walk is worked out from byte offsets alone.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "network.h"

namespace fuzz {

// Stops the run when an invariant does not hold; libFuzzer keeps the input that did it.
inline void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken invariant: %s\n", what);
        std::abort();
    }
}

// Reads fixed-size values from the front of the input; past its end every byte reads as zero,
// so any input decodes.
class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
    T take() {
        T value{};
        const std::size_t n = std::min(sizeof value, size_ - at_);
        if (n > 0) {
            std::memcpy(&value, data_ + at_, n);
        }
        at_ += n;
        return value;
    }

    std::vector<std::byte> rest() {
        const auto* first = reinterpret_cast<const std::byte*>(data_) + at_;
        std::vector<std::byte> bytes(first, first + (size_ - at_));
        at_ = size_;
        return bytes;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A fixed character field as the code reads it: up to the first zero byte, or all of it.
inline std::string fieldText(std::span<const std::byte> field) {
    const auto* first = reinterpret_cast<const char*>(field.data());
    return std::string(first, std::find(first, first + field.size(), '\0'));
}

// A table whose pointer fields the substitute sets to the caller's buffer plus an offset (the
// links). Where a pointer field will lead is known from the offsets alone, except where a field
// overlaps a link without being one: its bytes then hold part of the buffer's address.
class LinkedTable {
  public:
    static constexpr std::size_t pointerSize = sizeof(void*);

    struct Pointer {
        enum Kind { null, offset, outside, unknown } kind = null;
        std::ptrdiff_t target = 0;  // for `offset`: where in (or around) the buffer it points
    };

    explicit LinkedTable(std::vector<std::byte> bytes) : bytes_(std::move(bytes)) {}

    std::size_t size() const { return bytes_.size(); }

    // Points the field at `at` to the buffer plus `target`; a field cut off by the table's end
    // is left alone, as the substitute does.
    void link(std::size_t at, std::ptrdiff_t target) {
        if (at + pointerSize > bytes_.size() || overlapsLink(at, pointerSize)) {
            return;
        }
        links_.push_back({at, target});
    }

    // Makes the field at `at` null, as far as the table holds it.
    void clear(std::size_t at) {
        if (at < bytes_.size() && !overlapsLink(at, pointerSize)) {
            const std::size_t end = std::min(bytes_.size(), at + pointerSize);
            std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes_.begin() + static_cast<std::ptrdiff_t>(end), std::byte{0});
        }
    }

    // Whether bytes [at, at + length) are the table's own, untouched by any link.
    bool overlapsLink(std::size_t at, std::size_t length) const {
        return std::any_of(links_.begin(), links_.end(),
                           [&](const substitute::SystemTable::Link& l) {
                               return l.at < at + length && at < l.at + pointerSize;
                           });
    }

    // Bytes [at, at + length) as the code sees them in a buffer of the table's size; zero past
    // its end. Only for ranges that no link overlaps.
    std::vector<std::byte> read(std::size_t at, std::size_t length) const {
        std::vector<std::byte> out(length, std::byte{0});
        if (at < bytes_.size()) {
            const std::size_t n = std::min(length, bytes_.size() - at);
            std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at), n, out.begin());
        }
        return out;
    }

    // The pointer field at `at`, read like read() when the buffer may end inside it.
    Pointer pointerAt(std::size_t at) const {
        for (const substitute::SystemTable::Link& l : links_) {
            if (l.at == at) {
                return {Pointer::offset, l.target};
            }
        }
        if (overlapsLink(at, pointerSize)) {
            return {Pointer::unknown, 0};
        }
        std::uint64_t value = 0;
        const std::vector<std::byte> raw = read(at, pointerSize);
        std::memcpy(&value, raw.data(), sizeof value);
        return {value == 0 ? Pointer::null : Pointer::outside, 0};
    }

    // A raw pointer field taken from the input could by chance, or by the fuzzer learning it
    // from a comparison, hold the very address of the code's buffer. Such a field is made to
    // point into the first page, where no buffer ever lies; returns whether it changed.
    bool tame(std::size_t at) {
        if (at >= bytes_.size() || overlapsLink(at, pointerSize)) {
            return false;
        }
        std::uint64_t value = 0;
        const std::vector<std::byte> raw = read(at, pointerSize);
        std::memcpy(&value, raw.data(), sizeof value);
        if (value == 0 || value < 0x1000) {
            return false;
        }
        const std::uint64_t tamed = (value & 0xFFF) | 1;
        std::byte bytes[sizeof tamed];
        std::memcpy(bytes, &tamed, sizeof tamed);
        const std::size_t n = std::min(pointerSize, bytes_.size() - at);
        std::copy_n(bytes, n, bytes_.begin() + static_cast<std::ptrdiff_t>(at));
        return true;
    }

    // The table for the substitute, answering the size query with `sizeResult` and the fill
    // with `fillResult`.
    substitute::SystemTable table(std::uint32_t sizeResult, std::uint32_t fillResult) const {
        substitute::SystemTable t;
        t.bytes = bytes_;
        t.links = links_;
        t.sizeResult = sizeResult;
        t.fillResult = fillResult;
        return t;
    }

  private:
    std::vector<std::byte> bytes_;
    std::vector<substitute::SystemTable::Link> links_;
};

// Where a pointer target lies in a buffer of `size` bytes, when a whole `length`-byte record
// starting there fits in it.
inline std::optional<std::size_t> recordAt(std::ptrdiff_t target, std::size_t size,
                                           std::size_t length) {
    if (target < 0 || static_cast<std::size_t>(target) > size ||
        size - static_cast<std::size_t>(target) < length) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(target);
}

// How the query answers, from two bits of the input: mostly as the system does when it has a
// table, now and then with a failed size query or a failed fill.
struct Answers {
    std::uint32_t sizeResult;
    std::uint32_t fillResult;
    bool succeeds;
};
inline Answers answersFrom(std::uint8_t bits, std::uint32_t sizeAnswer) {
    switch (bits & 3) {
        case 1:
            return {0, 0, false};  // the size query answers "no error" without a buffer
        case 2:
            return {sizeAnswer, 31, false};  // the fill fails
        default:
            return {sizeAnswer, 0, true};
    }
}

// One pointer field to set in a table: where it lies and where it points, each chosen by a kind
// that the target interprets.
struct LinkChoice {
    std::uint8_t whereKind;
    std::uint8_t targetKind;
    std::uint16_t where;
    std::int64_t target;
};

// A count below `limit`, then that many link choices, from the input's front.
inline std::vector<LinkChoice> takeLinks(Reader& in, int limit) {
    const auto count = in.take<std::uint8_t>() % limit;
    std::vector<LinkChoice> links;
    for (int i = 0; i < count; ++i) {
        // Named steps: the order of the reads is the input's format.
        const auto whereKind = in.take<std::uint8_t>();
        const auto targetKind = in.take<std::uint8_t>();
        const auto where = in.take<std::uint16_t>();
        const auto target = in.take<std::int64_t>();
        links.push_back({whereKind, targetKind, where, target});
    }
    return links;
}

}  // namespace fuzz
