// Little-endian values in byte buffers, the one encoding of every file the
// game writes; and the field codec, which walks a record's fields once to
// write them, read them back with their checks, or mix them into a checksum.
#pragma once

#include <cmath>
#include <climits>
#include <cstdint>
#include <cstring>

// ---- Constants --------------------------------------------------------------

const uint32_t kHashStart = 2166136261u;  // a checksum before any value
const uint32_t kHashPrime = 16777619u;
const int kCodeWrite = 0;                 // the codec puts each field at `at`
const int kCodeRead = 1;                  // the codec takes each field from `at`, checking it
const int kCodeHash = 2;                  // the codec mixes each field into `hash`

// ---- Records ----------------------------------------------------------------

// A walk over fields: where the next byte goes or comes from, where a read
// must stop, whether everything read so far was sound, and the checksum.
struct FieldCodec {
    int mode;           // kCodeWrite, kCodeRead or kCodeHash
    uint8_t* at;        // the next byte (write and read)
    const uint8_t* end; // the end of what may be read
    bool ok;            // nothing read was short, out of range or not finite
    uint32_t hash;      // the checksum so far (hash)
};

// ---- Plain values -------------------------------------------------------------

// Lowest byte first; each returns the byte after.
inline uint8_t* putU32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        *at++ = (uint8_t)(v >> (8 * i));
    return at;
}

// Low word first.
inline uint8_t* putU64(uint8_t* at, uint64_t v)
{
    return putU32(putU32(at, (uint32_t)v), (uint32_t)(v >> 32));
}

// A float by its exact bits.
inline uint8_t* putF32(uint8_t* at, float v)
{
    uint32_t u;
    memcpy(&u, &v, sizeof u);
    return putU32(at, u);
}

// The low 16 bits, two's complement.
inline uint8_t* putI16(uint8_t* at, int32_t v)
{
    *at++ = (uint8_t)v;
    *at++ = (uint8_t)(v >> 8);
    return at;
}

// The readers of the values above.
inline uint32_t getU32(const uint8_t* at)
{
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

inline uint64_t getU64(const uint8_t* at)
{
    return (uint64_t)getU32(at) | (uint64_t)getU32(at + 4) << 32;
}

inline float getF32(const uint8_t* at)
{
    uint32_t u = getU32(at);
    float v;
    memcpy(&v, &u, sizeof v);
    return v;
}

inline int32_t getI16(const uint8_t* at)
{
    return (int16_t)(uint16_t)(at[0] | at[1] << 8);
}

// One word into a running checksum.
inline uint32_t mixHash(uint32_t h, uint32_t v)
{
    return (h ^ v) * kHashPrime;
}

// ---- The field codec ------------------------------------------------------------

// A codec over size bytes at `bytes` (the buffer is only read in kCodeRead).
inline FieldCodec fieldCodec(int mode, uint8_t* bytes, int32_t size)
{
    return FieldCodec{mode, bytes, bytes + size, true, kHashStart};
}

// True when the codec may take `bytes` more; a failed read takes nothing more.
inline bool codecHas(FieldCodec& c, int32_t bytes)
{
    if (c.ok && c.end - c.at < bytes)
        c.ok = false;
    return c.ok;
}

// One byte: written, read (0 once the read has failed) or mixed in.
inline void codeByte(FieldCodec& c, uint8_t& v)
{
    if (c.mode == kCodeWrite)
        *c.at++ = v;
    else if (c.mode == kCodeHash)
        c.hash = mixHash(c.hash, v);
    else
        v = codecHas(c, 1) ? *c.at++ : 0;
}

// An int32; a read must lie within first..last, else it fails and gives the
// value of that range nearest 0.
inline void codeInt(FieldCodec& c, int32_t& v, int32_t first = INT32_MIN, int32_t last = INT32_MAX)
{
    if (c.mode == kCodeWrite) {
        c.at = putU32(c.at, (uint32_t)v);
    } else if (c.mode == kCodeHash) {
        c.hash = mixHash(c.hash, (uint32_t)v);
    } else {
        v = codecHas(c, 4) ? (int32_t)getU32(c.at) : 0;
        c.at += c.ok ? 4 : 0;
        if (v < first || v > last)
            c.ok = false;
        if (!c.ok)
            v = first > 0 ? first : last < 0 ? last : 0;
    }
}

// A float by its bits; a read must be finite, as the world only ever holds.
inline void codeFloat(FieldCodec& c, float& v)
{
    uint32_t u;
    memcpy(&u, &v, sizeof u);
    if (c.mode == kCodeWrite) {
        c.at = putU32(c.at, u);
    } else if (c.mode == kCodeHash) {
        c.hash = mixHash(c.hash, u);
    } else {
        u = codecHas(c, 4) ? getU32(c.at) : 0;
        c.at += c.ok ? 4 : 0;
        memcpy(&v, &u, sizeof v);
        if (!std::isfinite(v))
            c.ok = false;
    }
}
