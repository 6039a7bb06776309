#pragma once
// The drawing queue of one surface. Every frame both programs restore the same places and draw the
// same buttons over them again, which changes no pixel; so blits and fills wait here until someone
// looks, and a group of them that lays exactly what it laid last time, with nothing drawn over
// that place or its sources since, is dropped.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Rect.h"

namespace platform {

class Surface;

// One blit or fill: the source (null for a fill), its rectangle, the target rectangle, and the
// source's key when keyed or the fill's colour.
struct DrawOp {
  const Surface* source;
  Rect src;
  Rect dst;
  uint16_t value;
  bool keyed;
};

// Drawing is carried out at the latest when anything looks at the target's pixels, writes them
// directly, or is about to change a surface that a waiting blit reads, so whoever looks sees what
// immediate drawing gives. Surfaces are drawn on one thread only.
class DrawQueue {
 public:
  explicit DrawQueue(Surface& owner) : target(owner) {}
  DrawQueue(const DrawQueue&) = delete;
  DrawQueue& operator=(const DrawQueue&) = delete;

  // Queues the blit or fill, or carries it out at once where its pixels are handed out.
  void Submit(const DrawOp& op);
  // Carries out what waits, dropping the groups that repeat what lies there.
  void Settle() {
    if (!queued.empty()) Resolve();
  }
  // The target's pixels are about to be written around the queue (a lock, writable pixels).
  void BeforeDirectWrite();
  // The target is going away: what reads it is drawn first, and nothing of it is kept.
  void Detach();

 private:
  // A group last carried out here, still lying untouched on the target.
  struct Memo {
    std::vector<DrawOp> ops;
    Rect bounds;
    uint64_t hash;
    uint64_t lastUse;
  };
  // A run of queued operations whose targets overlap, and nothing outside the run.
  struct Group {
    size_t begin;
    size_t end;
    uint64_t hash;
    bool repeated;
  };

  void Resolve();
  // The steps of Resolve, in order.
  // Arranges ops so that each group is a run, and lists the runs in groups.
  void GroupByOverlap(std::vector<DrawOp>& ops);
  bool Repeats(const std::vector<DrawOp>& ops, const Group& group);
  void CarryOut(const std::vector<DrawOp>& ops, const Group& group);

  bool Reads(const Surface* source) const;
  void Remember(std::vector<DrawOp> ops, uint64_t hash);
  void EraseMemo(size_t index);
  // Memos here under the area, and memos anywhere whose blits read the area, no longer hold.
  void ForgetDrawnOver(const Rect& area);
  static void SettleReadersOf(const Surface* written);

  Surface& target;
  bool resolving = false;
  int memoReaders = 0;  // ops of memos on any surface that read the target
  std::vector<DrawOp> queued;
  // Room to arrange the queue in and its groups, kept from one frame to the next.
  std::vector<DrawOp> spare;
  std::vector<Group> groups;
  struct {
    std::vector<uint32_t> parent;
    std::vector<uint64_t> order;
    std::vector<uint32_t> open;
    std::vector<uint32_t> firstOf;
  } work;
  std::vector<Memo> memos;
};

}  // namespace platform
