// The memory manager's bookkeeping: a record of every block ever tracked,
// found by address through a hash, with the counters of what is live. The
// statistics window is in memmgrwin.cpp.
#include "anim/memmgr.h"

#include "anim/memmgr_internal.h"
#include "platform/base/debugbreak.h"
#include "platform/clock/clock.h"
#include "platform/msgbox/msgbox.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

using memmgr_internal::BLOCKINFO;
using memmgr_internal::COUNTS;
using memmgr_internal::TOTALS;

namespace {
constexpr long kChunk = 1024;
constexpr long kFirstBuckets = 128;
// Addresses are kept scrambled in the records, so that a leak checker
// scanning memory does not take the records for references to the blocks.
constexpr std::uintptr_t kScramble = static_cast<std::uintptr_t>(0xA5A5A5A5A5A5A5A5ull);
constexpr const char* kUnknown = "(unknown)";

struct RECORD {
    std::uintptr_t scrambled = 0;
    std::size_t size = 0;
    const char* name = nullptr;
    const char* file = nullptr;
    long line = 0;
    DWORD tick = 0;
    std::uint32_t signature = 0;
    bool fObject = false;
    bool fFreed = false;
    bool fHashed = false;
    long next = -1;
    long prev = -1;

    std::uintptr_t Address() const { return scrambled ^ kScramble; }
};

// What a check found, copied out of the records so that the report can be
// shown after the lock is left.
struct Finding {
    const char* message = nullptr;
    std::uintptr_t address = 0;
    const char* name = kUnknown;
    const char* file = kUnknown;
    long line = 0;
};

struct Tracker {
    std::mutex lock;
    std::vector<RECORD*> chunks;
    long nRecords = 0;
    std::vector<long> buckets;
    std::unordered_set<std::string> strings;
    COUNTS objects, dynamic, baseline;
    std::atomic<unsigned long> changes{0};
    std::atomic<void (*)()> listener{nullptr};

    RECORD& At(long i) { return chunks[static_cast<std::size_t>(i / kChunk)][i % kChunk]; }
    std::size_t Bucket(std::uintptr_t address) const { return (address / 16) % buckets.size(); }

    long Find(std::uintptr_t address)
    {
        if (buckets.empty())
            return -1;
        for (long i = buckets[Bucket(address)]; i >= 0; i = At(i).next)
            if (At(i).Address() == address)
                return i;
        return -1;
    }

    void Link(long i)
    {
        RECORD& r = At(i);
        long& head = buckets[Bucket(r.Address())];
        r.prev = -1;
        r.next = head;
        if (head >= 0)
            At(head).prev = i;
        head = i;
        r.fHashed = true;
    }

    void Unlink(long i)
    {
        RECORD& r = At(i);
        if (!r.fHashed)
            return;
        if (r.prev >= 0)
            At(r.prev).next = r.next;
        else
            buckets[Bucket(r.Address())] = r.next;
        if (r.next >= 0)
            At(r.next).prev = r.prev;
        r.next = r.prev = -1;
        r.fHashed = false;
    }

    // More records than the buckets carry well: spread them over more.
    void Rehash()
    {
        const long wanted = (nRecords + 1) / 23;
        if (static_cast<long>(buckets.size()) >= wanted)
            return;
        buckets.assign(static_cast<std::size_t>((nRecords + 1) / 5), -1);
        for (long i = 0; i < nRecords; ++i)
            if (At(i).fHashed)
                Link(i);
    }

    const char* Intern(const char* s)
    {
        if (!s)
            return nullptr;
        return strings.insert(s).first->c_str();
    }

    COUNTS& CountsOf(const RECORD& r) { return r.fObject ? objects : dynamic; }

    void Forget(RECORD& r)
    {
        r.fFreed = true;
        COUNTS& c = CountsOf(r);
        c.count -= 1;
        c.bytes -= static_cast<long long>(r.size);
    }

    // A new record at address; an older record of the same address leaves the
    // hash (an address is found only as its newest block).
    bool Add(std::uintptr_t address, std::size_t size, const char* name, const char* file, long line,
             std::uint32_t signature, bool fObject)
    {
        try {
            if (buckets.empty())
                buckets.assign(kFirstBuckets, -1);
            if (nRecords % kChunk == 0 && static_cast<std::size_t>(nRecords / kChunk) == chunks.size()) {
                auto* chunk = new (std::nothrow) RECORD[kChunk];
                if (!chunk)
                    return false;
                chunks.push_back(chunk);
            }
            const long old = Find(address);
            if (old >= 0) {
                Unlink(old);
                // Its memory was given out again, so it was released somehow.
                if (!At(old).fFreed)
                    Forget(At(old));
            }
            const long i = nRecords++;
            RECORD& r = At(i);
            r = RECORD{};
            r.scrambled = address ^ kScramble;
            r.size = size;
            r.name = Intern(name);
            r.file = Intern(file);
            r.line = line;
            r.tick = GetTickCount();
            r.signature = signature;
            r.fObject = fObject;
            Link(i);
            COUNTS& c = CountsOf(r);
            c.count += 1;
            c.bytes += static_cast<long long>(size);
            Rehash();
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
};

Tracker& tracker()
{
    // Never destroyed: blocks may be freed while the program's statics go.
    static Tracker* t = new Tracker();
    return *t;
}

void Changed()
{
    Tracker& t = tracker();
    ++t.changes;
    if (auto listener = t.listener.load())
        listener();
}

bool SignatureHolds(std::uintptr_t address, std::size_t size, std::uint32_t signature)
{
    std::uint32_t found = 0;
    std::memcpy(&found, reinterpret_cast<const unsigned char*>(address) + size, sizeof found);
    return found == signature;
}

void WriteSignature(void* block, std::size_t size)
{
    const std::uint32_t sig = MEMMGR_SIGNATURE;
    std::memcpy(static_cast<unsigned char*>(block) + size, &sig, sizeof sig);
}

void Report(const Finding& f, const char* freeFile, long freeLine)
{
    char text[1024];
    std::snprintf(text, sizeof text,
                  "%s\n\n   Address: 0x%08lX (%s)\n   Allocated: %s line %ld\n   Freed: %s line %ld\n\nClick Cancel "
                  "to debug.",
                  f.message, static_cast<unsigned long>(f.address), f.name ? f.name : kUnknown,
                  f.file ? f.file : kUnknown, f.line, freeFile ? freeFile : kUnknown, freeLine);
    if (MessageBoxA(nullptr, text, "Memory Manager", MB_ICONERROR | MB_OKCANCEL) == IDCANCEL)
        DebugBreak();
}

struct Messages {
    const char* unknown;
    const char* overwritten;
    const char* twice;
};
constexpr Messages kFreeMessages{"An invalid memory address was freed.",
                                 "The trailing signature on a block of memory was overwritten before being freed.",
                                 "A block of memory was freed more than once."};
constexpr Messages kReallocMessages{
    "An invalid memory address was reallocated.",
    "The trailing signature on a block of memory was overwritten before being reallocated.",
    "A freed block of memory was reallocated."};

// Live: a block allocated here; LiveObject: a block only tracked (made by
// someone else, who also gives it back).
enum class Check { Live, LiveObject, Unknown, Freed };

// Checks the block at address and marks it freed: what was wrong goes to
// *finding (message null when nothing was).
Check Release(std::uintptr_t address, const Messages& m, Finding* finding)
{
    Tracker& t = tracker();
    std::lock_guard<std::mutex> guard(t.lock);
    finding->address = address;
    const long i = t.Find(address);
    if (i < 0) {
        finding->message = m.unknown;
        return Check::Unknown;
    }
    RECORD& r = t.At(i);
    finding->name = r.name;
    finding->file = r.file;
    finding->line = r.line;
    if (r.fFreed) {
        finding->message = m.twice;
        return Check::Freed;
    }
    if (r.signature && !SignatureHolds(address, r.size, r.signature))
        finding->message = m.overwritten;
    t.Forget(r);
    return r.signature ? Check::Live : Check::LiveObject;
}
}  // namespace

// ---- allocation ------------------------------------------------------------------

void* MemMgr_AllocateMemory(int size, const char* name, const char* file, int line)
{
    if (size < 0)
        return nullptr;
    void* p = std::malloc(static_cast<std::size_t>(size) + 4);
    if (!p)
        return nullptr;
    WriteSignature(p, static_cast<std::size_t>(size));
    {
        Tracker& t = tracker();
        std::lock_guard<std::mutex> guard(t.lock);
        t.Add(reinterpret_cast<std::uintptr_t>(p), static_cast<std::size_t>(size), name, file, line, MEMMGR_SIGNATURE,
              false);
    }
    Changed();
    return p;
}

void MemMgr_FreeMemory(void* p, const char* file, int line)
{
    if (!p)
        return;
    Finding f;
    const Check c = Release(reinterpret_cast<std::uintptr_t>(p), kFreeMessages, &f);
    if (f.message)
        Report(f, file, line);
    // Only a live block allocated here is given back: an address freed
    // before, never given out here, or made by someone else is not the
    // manager's to free (doing so would corrupt the heap).
    if (c == Check::Live)
        std::free(p);
    Changed();
}

void* MemMgr_TrackNew(void* p, std::size_t size, const char* name, const char* file, int line)
{
    if (!p)
        return p;
    {
        Tracker& t = tracker();
        std::lock_guard<std::mutex> guard(t.lock);
        t.Add(reinterpret_cast<std::uintptr_t>(p), size, name, file, line, 0, true);
    }
    Changed();
    return p;
}

int MemMgr_TrackDelete(void* p, const char* file, int line)
{
    if (!p)
        return 1;
    Finding f;
    Release(reinterpret_cast<std::uintptr_t>(p), kFreeMessages, &f);
    if (f.message)
        Report(f, file, line);
    Changed();
    return 1;
}

void* MemMgr_ReallocateMemory(unsigned elementSize, void** array, void* table, unsigned needed, unsigned step,
                              unsigned fill, int fTrack, const char* file, int line)
{
    if (!array || !table)
        return nullptr;
    unsigned& capacity = *static_cast<unsigned*>(table);
    if (capacity >= needed)
        return *array ? *array : static_cast<void*>(array);
    if (step == 0)
        return nullptr;
    const std::uint64_t newCapacity = (static_cast<std::uint64_t>(needed) + step - 1) / step * step;
    const std::uint64_t bytes = newCapacity * elementSize;
    if (newCapacity > 0xFFFFFFFFull || bytes + 4 > SIZE_MAX)
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(bytes) + 4));
    if (!block)
        return nullptr;
    const auto oldAddress = reinterpret_cast<std::uintptr_t>(*array);
    // A table whose block was freed already has nothing left to copy.
    bool oldFreed = false;
    if (oldAddress) {
        Tracker& t = tracker();
        std::lock_guard<std::mutex> guard(t.lock);
        const long i = t.Find(oldAddress);
        oldFreed = i >= 0 && t.At(i).fFreed;
    }
    const std::size_t oldBytes = oldFreed ? 0 : static_cast<std::size_t>(capacity) * elementSize;
    if (*array && oldBytes)
        std::memcpy(block, *array, oldBytes);
    std::memset(block + oldBytes, static_cast<int>(fill & 0xFF), static_cast<std::size_t>(bytes) - oldBytes);
    WriteSignature(block, static_cast<std::size_t>(bytes));

    // The old block's record moves to the new block. Every block is tracked
    // (so that freeing it later is checked); fTrack says whether problems
    // of the old block are reported.
    const auto newAddress = reinterpret_cast<std::uintptr_t>(block);
    Finding f;
    f.address = oldAddress;
    bool freeOld = false;
    {
        Tracker& t = tracker();
        std::lock_guard<std::mutex> guard(t.lock);
        const long i = oldAddress ? t.Find(oldAddress) : -1;
        if (i >= 0 && !t.At(i).fFreed) {
            RECORD& r = t.At(i);
            // A block made by someone else stays theirs to free.
            freeOld = r.signature != 0;
            f.name = r.name;
            f.file = r.file;
            f.line = r.line;
            if (r.signature && !SignatureHolds(oldAddress, r.size, r.signature))
                f.message = kReallocMessages.overwritten;
            // The record itself moves: it keeps its index, name and time and
            // now describes the new block.
            t.Unlink(i);
            const long stale = t.Find(newAddress);
            if (stale >= 0) {
                t.Unlink(stale);
                if (!t.At(stale).fFreed)
                    t.Forget(t.At(stale));
            }
            COUNTS& was = t.CountsOf(r);
            was.count -= 1;
            was.bytes -= static_cast<long long>(r.size);
            r.scrambled = newAddress ^ kScramble;
            r.size = static_cast<std::size_t>(bytes);
            r.signature = MEMMGR_SIGNATURE;
            r.fObject = false;
            t.dynamic.count += 1;
            t.dynamic.bytes += static_cast<long long>(r.size);
            t.Link(i);
        } else {
            if (oldAddress) {
                f.message = i >= 0 ? kReallocMessages.twice : kReallocMessages.unknown;
                if (i >= 0) {
                    f.name = t.At(i).name;
                    f.file = t.At(i).file;
                    f.line = t.At(i).line;
                }
            }
            t.Add(newAddress, static_cast<std::size_t>(bytes), "Reallocate", file, line, MEMMGR_SIGNATURE, false);
        }
    }
    if (fTrack && f.message)
        Report(f, file, line);
    if (freeOld)
        std::free(*array);
    *array = block;
    capacity = static_cast<unsigned>(newCapacity);
    Changed();
    return block;
}

// ---- what the statistics window reads -----------------------------------------------

namespace memmgr_internal {
TOTALS GetTotals()
{
    Tracker& t = tracker();
    std::lock_guard<std::mutex> guard(t.lock);
    TOTALS totals;
    totals.objects = t.objects;
    totals.dynamic = t.dynamic;
    totals.combined = {t.objects.count + t.dynamic.count, t.objects.bytes + t.dynamic.bytes};
    totals.tared = {totals.combined.count - t.baseline.count, totals.combined.bytes - t.baseline.bytes};
    return totals;
}

void Tare()
{
    Tracker& t = tracker();
    std::lock_guard<std::mutex> guard(t.lock);
    t.baseline = {t.objects.count + t.dynamic.count, t.objects.bytes + t.dynamic.bytes};
}

void Restore()
{
    Tracker& t = tracker();
    std::lock_guard<std::mutex> guard(t.lock);
    t.baseline = {};
}

void Snapshot(std::vector<BLOCKINFO>* out, bool includeFreed)
{
    out->clear();
    Tracker& t = tracker();
    std::lock_guard<std::mutex> guard(t.lock);
    out->reserve(static_cast<std::size_t>(t.nRecords));
    for (long i = 0; i < t.nRecords; ++i) {
        const RECORD& r = t.At(i);
        if (r.fFreed && !includeFreed)
            continue;
        out->push_back(BLOCKINFO{r.Address(), r.size, r.name, r.file, r.line, r.tick, r.fObject, r.fFreed});
    }
}

unsigned long ChangeCount() { return tracker().changes.load(); }

void SetChangeListener(void (*listener)()) { tracker().listener.store(listener); }
}  // namespace memmgr_internal
