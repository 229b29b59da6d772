#include "model/uuid.h"

#include <QRandomGenerator>

namespace orbel {

Uuid Uuid::random() {
    // Every decoded slot and group gets a new id: the system generator
    // (a CPU instruction per call) only seeds one generator per thread.
    thread_local QRandomGenerator64 rng = [] {
        quint32 seed[8];
        QRandomGenerator::system()->fillRange(seed);
        return QRandomGenerator64(seed, 8);
    }();
    Uuid u;
    u.hi_ = rng.generate64();
    u.lo_ = rng.generate64();
    // Version 4, variant 1.
    u.hi_ = (u.hi_ & ~0x000000000000F000ULL) | 0x0000000000004000ULL;
    u.lo_ = (u.lo_ & ~0xC000000000000000ULL) | 0x8000000000000000ULL;
    return u;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    Uuid u;
    int nibbles = 0;
    for (std::size_t i = 0; i < 36; ++i) {
        const char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-') return std::nullopt;
            continue;
        }
        int v;
        if (c >= '0' && c <= '9') v = c - '0';
        else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
        else return std::nullopt;
        std::uint64_t& half = nibbles < 16 ? u.hi_ : u.lo_;
        half = (half << 4) | static_cast<std::uint64_t>(v);
        ++nibbles;
    }
    return u;
}

std::string Uuid::toString() const {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) out += '-';
        const std::uint64_t half = i < 16 ? hi_ : lo_;
        const int shift = (15 - (i % 16)) * 4;
        out += digits[(half >> shift) & 0xF];
    }
    return out;
}

bool Uuid::isNil() const { return hi_ == 0 && lo_ == 0; }

std::size_t Uuid::hash() const { return std::hash<std::uint64_t>{}(hi_ ^ (lo_ * 0x9E3779B97F4A7C15ULL)); }

}  // namespace orbel
