#pragma once

#include <QByteArray>

#include <array>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
// Where the processor has AVX2 (checked at run time), the search scans
// 32 bytes a compare; the program itself is built for plain x86-64.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QUORVEL_AVX2_SCAN 1
#include <immintrin.h>
#endif

// Plain byte -> case-folded byte: ASCII and the letters of Windows-1252
// (for a phrase as typed, and the texts of an encrypted diary).
const std::array<unsigned char, 256>& plainFoldTable();

// Finds the folded needle in one stored entry text; -1 when absent.
class TextMatcher {
public:
    // fold maps each byte of the texts searched to its case-folded character.
    TextMatcher(const QByteArray& foldedNeedle, const std::array<unsigned char, 256>& foldTable)
        : needle_(foldedNeedle), fold_(foldTable) {
        const auto& fold = fold_;
        for (int b = 0; b < 256; ++b) {
            if (fold[static_cast<size_t>(b)] == static_cast<unsigned char>(needle_.at(0)))
                firstBytes_.push_back(static_cast<unsigned char>(b));
        }
#ifdef __SSE2__
        // Up to four possible first bytes, each in all 16 lanes; one or three
        // are padded by repeating the last, so the scan needs 2 or 4 compares.
        const size_t forms = firstBytes_.size();
        splatWidth_ = forms == 0 || forms > 4 ? 0 : (forms <= 2 ? 2 : 4);
        for (int k = 0; k < splatWidth_; ++k)
            firstSplats_[k] = _mm_set1_epi8(static_cast<char>(firstBytes_[qMin(static_cast<size_t>(k), forms - 1)]));
#endif
    }

    qint32 find(const unsigned char* text, qint32 length) const {
        const qint32 last = length - static_cast<qint32>(needle_.size());
        qint32 i = 0;
#ifdef __SSE2__
        if (splatWidth_ != 0) {
            qint32 scanned = -1;
#ifdef QUORVEL_AVX2_SCAN
            if (avx2_) {
                scanned = splatWidth_ == 2 ? scanAvx2<2>(text, last) : scanAvx2<4>(text, last);
                if (scanned >= 0)
                    return scanned;
            }
#endif
            const qint32 from = -(scanned + 1);
            scanned = splatWidth_ == 2 ? scanSse<2>(text, from, last) : scanSse<4>(text, from, last);
            if (scanned >= 0)
                return scanned;
            i = -(scanned + 1);
        }
#endif
        for (; i <= last; ++i) {
            if (fold_[text[i]] == static_cast<unsigned char>(needle_.at(0)) && matchesAt(text, i))
                return i;
        }
        return -1;
    }

private:
#ifdef __SSE2__
    template <int Width> __m128i firstByteHits(const unsigned char* at) const {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        __m128i hits = _mm_cmpeq_epi8(chunk, firstSplats_[0]);
        for (int k = 1; k < Width; ++k)
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(chunk, firstSplats_[k]));
        return hits;
    }

    // Scans 64 bytes a step: most steps hold no possible first byte and cost
    // one test. Returns the position of a match, or where the byte-wise
    // rest of the scan goes on, as -(position + 1).
    template <int Width> qint32 scanSse(const unsigned char* text, qint32 from, qint32 last) const {
        qint32 i = from;
        for (; i + 64 <= last + 1; i += 64) {
            const __m128i any =
                _mm_or_si128(_mm_or_si128(firstByteHits<Width>(text + i), firstByteHits<Width>(text + i + 16)),
                             _mm_or_si128(firstByteHits<Width>(text + i + 32), firstByteHits<Width>(text + i + 48)));
            if (_mm_movemask_epi8(any) == 0)
                continue;
            for (int part = 0; part < 64; part += 16) {
                const qint32 at = matchIn16<Width>(text, i + part);
                if (at >= 0)
                    return at;
            }
        }
        for (; i + 16 <= last + 1; i += 16) {
            const qint32 at = matchIn16<Width>(text, i);
            if (at >= 0)
                return at;
        }
        return -(i + 1);
    }

    // The first match that starts within the 16 bytes from `from`; -1 when none.
    template <int Width> qint32 matchIn16(const unsigned char* text, qint32 from) const {
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(firstByteHits<Width>(text + from)));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            if (matchesAt(text, from + bit))
                return from + bit;
            mask &= mask - 1;
        }
        return -1;
    }
#endif

#ifdef QUORVEL_AVX2_SCAN
    template <int Width>
    __attribute__((target("avx2"))) static __m256i firstByteHitsAvx2(const unsigned char* at, const __m256i* splats) {
        const __m256i chunk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        __m256i hits = _mm256_cmpeq_epi8(chunk, splats[0]);
        for (int k = 1; k < Width; ++k)
            hits = _mm256_or_si256(hits, _mm256_cmpeq_epi8(chunk, splats[k]));
        return hits;
    }

    // As scanSse, 64 bytes in two 32-byte compares per possible first byte.
    template <int Width> __attribute__((target("avx2"))) qint32 scanAvx2(const unsigned char* text, qint32 last) const {
        __m256i splats[Width];
        for (int k = 0; k < Width; ++k)
            splats[k] = _mm256_broadcastsi128_si256(firstSplats_[k]);
        qint32 i = 0;
        for (; i + 64 <= last + 1; i += 64) {
            const __m256i low = firstByteHitsAvx2<Width>(text + i, splats);
            const __m256i high = firstByteHitsAvx2<Width>(text + i + 32, splats);
            const __m256i any = _mm256_or_si256(low, high);
            if (_mm256_testz_si256(any, any))
                continue;
            for (const auto& [hits, offset] : {std::pair{low, 0}, std::pair{high, 32}}) {
                unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(hits));
                while (mask != 0) {
                    const int bit = __builtin_ctz(mask);
                    if (matchesAt(text, i + offset + bit))
                        return i + offset + bit;
                    mask &= mask - 1;
                }
            }
        }
        return -(i + 1);
    }
#endif

    bool matchesAt(const unsigned char* text, qint32 at) const {
        const auto& fold = fold_;
        for (qsizetype k = 1; k < needle_.size(); ++k) {
            if (fold[text[at + k]] != static_cast<unsigned char>(needle_.at(k)))
                return false;
        }
        return true;
    }

    QByteArray needle_;
    const std::array<unsigned char, 256>& fold_;
    std::vector<unsigned char> firstBytes_;
#ifdef __SSE2__
    __m128i firstSplats_[4] = {};
    int splatWidth_ = 0;
#ifdef QUORVEL_AVX2_SCAN
    bool avx2_ = __builtin_cpu_supports("avx2");
#endif
#endif
};
