#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quillex {

class AnsiScanner;
class InputFile;
class ScanHost;
class UnicodeScanner;

// How the ANSI and Unicode passes get at the file's bytes.
enum class BytePassMode : std::uint8_t {
  // Threaded when the file is large enough to pay for the threads and a
  // second core is free (the machine has one and is not kept busy), Fused
  // otherwise.
  Auto,
  // Each pass reads the whole file on its own: the plain form the other two
  // must match.
  Sequential,
  // One read; each block goes to the ANSI pass and then to the Unicode pass
  // while it is still in the cache.
  Fused,
  // One read on the calling thread, which keeps pumping; each pass runs on a
  // worker thread of its own.
  Threaded,
};

// What the caller of the byte passes hands over. The ANSI scanner adds to
// the scan's store. For the fused and threaded passes the Unicode scanner
// must add to a store of its own, whose results the caller appends after the
// ANSI ones unless the passes were stopped; the sequential passes, which
// finish the ANSI pass first, may let it add to the scan's store.
struct BytePassJob {
  InputFile& file;
  // readSize bytes per system call, a whole number of blocks. The sequential
  // and fused passes use the buffer's first readSize bytes; the threaded ones
  // use it as a ring of size() / readSize reads.
  std::span<std::uint8_t> readBuffer;
  std::size_t readSize;
  std::size_t blockSize;
  ScanHost& host;
  AnsiScanner& ansi;
  UnicodeScanner& unicode;
};

// Each pass over a read of the file of its own, the ANSI pass first, on the
// calling thread: the host is pumped before every block, and a stop leaves
// the block just read unexamined. Shows the ANSI count when its pass is done
// and the Unicode count of 0 as that pass starts; a stop the ANSI pass saw
// ends the Unicode pass at its first block. Both passes are finished either
// way. Returns true when a stop came.
[[nodiscard]] bool RunSequentialPasses(const BytePassJob& job);

// Both passes over one read of the file, on the calling thread: the host is
// pumped before every block, and a stop leaves the block just read
// unexamined. The ANSI pass is finished either way; the Unicode pass only
// when no stop came. Returns true when a stop came.
[[nodiscard]] bool RunFusedPasses(const BytePassJob& job);

// What RunThreadedPasses did.
enum class ThreadedOutcome : std::uint8_t {
  Completed,
  Stopped,
  // No worker thread could be started; nothing was read or scanned, so the
  // caller can run the fused passes instead.
  NoThreads,
};

// The same as RunFusedPasses with each pass on a worker thread; reads run
// ahead of the slower pass by at most the ring's size. The calling thread
// reads and pumps; a block is handed to the workers only
// after its pump said go on, so a stop leaves exactly the blocks before it
// scanned, as the fused passes would.
[[nodiscard]] ThreadedOutcome RunThreadedPasses(const BytePassJob& job);

}  // namespace quillex
