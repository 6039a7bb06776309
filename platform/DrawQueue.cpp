#include "platform/DrawQueue.h"

#include <algorithm>

#include "platform/Surface.h"

namespace platform {

namespace {

// A queue longer than this is carried out: a surface drawn every frame but never looked at must
// not grow without end. A frame of either program queues under a hundred.
constexpr size_t kMaxQueued = 256;
// Groups remembered per surface; past this the one unused longest is forgotten.
constexpr size_t kMaxMemos = 64;

uint64_t memoClock = 0;

// The queues holding operations, and those holding memos, so that a change to one surface finds
// what reads it elsewhere. Never destroyed: surfaces held by other statics are released at exit in
// no particular order, and still look here.
std::vector<DrawQueue*>& Queuing() {
  static auto* queues = new std::vector<DrawQueue*>();
  return *queues;
}

std::vector<DrawQueue*>& Remembering() {
  static auto* queues = new std::vector<DrawQueue*>();
  return *queues;
}

void Unlist(std::vector<DrawQueue*>& list, const DrawQueue* queue) {
  list.erase(std::remove(list.begin(), list.end(), queue), list.end());
}

uint64_t Mix(uint64_t hash, uint64_t value) {
  return (hash ^ value) * 0x100000001B3ull;
}

uint64_t Pack(int32_t high, int32_t low) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | static_cast<uint32_t>(low);
}

bool SameOp(const DrawOp& a, const DrawOp& b) {
  return a.source == b.source && SameRect(a.src, b.src) && SameRect(a.dst, b.dst) &&
         a.value == b.value && a.keyed == b.keyed;
}

}  // namespace

void DrawQueue::Submit(const DrawOp& op) {
  // The blit reads its source as it is now, so what waits for the source goes first.
  if (op.source != nullptr) op.source->Settle();
  const bool wait = target.queued && !target.DrawsAtOnce() &&
                    (op.source == nullptr || (op.source != &target && !op.source->DrawsAtOnce()));
  if (!wait) {
    // After what waits here and before anything waiting elsewhere that reads the old pixels;
    // nothing of it is remembered.
    Settle();
    SettleReadersOf(&target);
    ForgetDrawnOver(op.dst);
    target.Draw(op);
    return;
  }
  if (queued.empty()) Queuing().push_back(this);
  queued.push_back(op);
  if (queued.size() >= kMaxQueued) Resolve();
}

void DrawQueue::BeforeDirectWrite() {
  SettleReadersOf(&target);
  Settle();
  ForgetDrawnOver({0, 0, target.Width(), target.Height()});
}

void DrawQueue::Detach() {
  SettleReadersOf(&target);
  // Its own queue nobody can look at any more.
  queued.clear();
  Unlist(Queuing(), this);
  while (!memos.empty())
    EraseMemo(memos.size() - 1);
  ForgetDrawnOver({0, 0, target.Width(), target.Height()});
}

void DrawQueue::Resolve() {
  if (queued.empty() || resolving) return;
  resolving = true;
  std::vector<DrawOp> ops;
  ops.swap(queued);
  Unlist(Queuing(), this);

  GroupByOverlap(ops);
  bool anyFresh = false;
  for (Group& group : groups) {
    group.repeated = Repeats(ops, group);
    anyFresh = anyFresh || !group.repeated;
  }
  // Blits waiting elsewhere read this surface as it was before these changes.
  if (anyFresh) SettleReadersOf(&target);
  for (const Group& group : groups) {
    if (!group.repeated) CarryOut(ops, group);
  }

  // The next frame queues as many again: keep the room.
  ops.clear();
  if (queued.empty()) queued.swap(ops);
  resolving = false;
}

void DrawQueue::GroupByOverlap(std::vector<DrawOp>& ops) {
  // Operations are joined wherever their targets overlap. Groups then overlap nowhere, so the
  // order between them does not matter; within one the queue's order is kept.
  const uint32_t count = static_cast<uint32_t>(ops.size());
  std::vector<uint32_t>& parent = work.parent;
  parent.resize(count);
  for (uint32_t i = 0; i < count; ++i)
    parent[i] = i;
  auto root = [&parent](uint32_t i) {
    while (parent[i] != i)
      i = parent[i] = parent[parent[i]];
    return i;
  };
  // Swept from the top: only operations whose rows reach down to one's top can overlap it, a few
  // at any height, where comparing every pair would cost more than the drawing it saves.
  std::vector<uint64_t>& order = work.order;
  order.resize(count);
  for (uint32_t i = 0; i < count; ++i)
    order[i] = Pack(ops[i].dst.top, static_cast<int32_t>(i));
  std::sort(order.begin(), order.end());
  std::vector<uint32_t>& open = work.open;
  open.clear();
  for (const uint64_t key : order) {
    const uint32_t i = static_cast<uint32_t>(key);
    const Rect& r = ops[i].dst;
    size_t kept = 0;
    for (const uint32_t j : open) {
      if (ops[j].dst.bottom <= r.top) continue;  // ended above: drops out
      open[kept++] = j;
      if (Overlap(ops[j].dst, r)) parent[root(i)] = root(j);
    }
    open.resize(kept);
    open.push_back(i);
  }

  // Keyed by the group's first operation, then by its own place: sorted, a group is a run.
  std::vector<uint32_t>& firstOf = work.firstOf;
  firstOf.assign(count, count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t r = root(i);
    if (firstOf[r] == count) firstOf[r] = i;
    order[i] = Pack(static_cast<int32_t>(firstOf[r]), static_cast<int32_t>(i));
  }
  std::sort(order.begin(), order.end());
  std::vector<DrawOp>& arranged = spare;
  arranged.clear();
  arranged.reserve(count);
  groups.clear();
  for (size_t k = 0; k < count; ++k) {
    const DrawOp& op = ops[static_cast<uint32_t>(order[k])];
    if (k == 0 || (order[k] >> 32) != (order[k - 1] >> 32))
      groups.push_back({k, k, 0xCBF29CE484222325ull, false});
    Group& group = groups.back();
    group.end = k + 1;
    group.hash = Mix(group.hash, reinterpret_cast<uintptr_t>(op.source));
    group.hash = Mix(group.hash, Pack(op.dst.left, op.dst.top));
    group.hash = Mix(group.hash, Pack(op.src.left, op.src.top));
    group.hash = Mix(group.hash, (static_cast<uint64_t>(op.value) << 1) | (op.keyed ? 1 : 0));
    arranged.push_back(op);
  }
  ops.swap(arranged);
}

bool DrawQueue::Repeats(const std::vector<DrawOp>& ops, const Group& group) {
  // A group equal to a memo lays again the pixels it laid last time, which nothing has covered
  // since and whose sources have not changed.
  const size_t size = group.end - group.begin;
  for (Memo& memo : memos) {
    if (memo.hash != group.hash || memo.ops.size() != size) continue;
    bool same = true;
    for (size_t k = 0; k < size && same; ++k)
      same = SameOp(memo.ops[k], ops[group.begin + k]);
    if (same) {
      memo.lastUse = ++memoClock;
      return true;
    }
  }
  return false;
}

void DrawQueue::CarryOut(const std::vector<DrawOp>& ops, const Group& group) {
  for (size_t k = group.begin; k < group.end; ++k) {
    ForgetDrawnOver(ops[k].dst);
    target.Draw(ops[k]);
  }
  Remember({ops.begin() + static_cast<ptrdiff_t>(group.begin),
            ops.begin() + static_cast<ptrdiff_t>(group.end)},
           group.hash);
}

bool DrawQueue::Reads(const Surface* source) const {
  for (const DrawOp& op : queued) {
    if (op.source == source) return true;
  }
  return false;
}

void DrawQueue::SettleReadersOf(const Surface* written) {
  std::vector<DrawQueue*>& queues = Queuing();
  for (size_t i = 0; i < queues.size();) {
    DrawQueue* reader = queues[i];
    if (&reader->target != written && !reader->resolving && reader->Reads(written)) {
      reader->Resolve();  // takes it off the list, so look again from the start
      i = 0;
    } else {
      ++i;
    }
  }
}

void DrawQueue::ForgetDrawnOver(const Rect& area) {
  for (size_t m = memos.size(); m-- > 0;) {
    const Memo& memo = memos[m];
    if (!Overlap(memo.bounds, area)) continue;
    for (const DrawOp& op : memo.ops) {
      if (Overlap(op.dst, area)) {
        EraseMemo(m);
        break;
      }
    }
  }
  if (memoReaders == 0) return;
  std::vector<DrawQueue*>& queues = Remembering();
  for (size_t i = queues.size(); i-- > 0;) {
    DrawQueue* queue = queues[i];
    for (size_t m = queue->memos.size(); m-- > 0;) {
      for (const DrawOp& op : queue->memos[m].ops) {
        if (op.source == &target && Overlap(op.src, area)) {
          queue->EraseMemo(m);
          break;
        }
      }
    }
  }
}

void DrawQueue::EraseMemo(size_t index) {
  for (const DrawOp& op : memos[index].ops) {
    if (op.source != nullptr) --op.source->queue.memoReaders;
  }
  memos.erase(memos.begin() + static_cast<ptrdiff_t>(index));
  if (memos.empty()) Unlist(Remembering(), this);
}

void DrawQueue::Remember(std::vector<DrawOp> ops, uint64_t hash) {
  if (memos.size() >= kMaxMemos) {
    size_t oldest = 0;
    for (size_t m = 1; m < memos.size(); ++m) {
      if (memos[m].lastUse < memos[oldest].lastUse) oldest = m;
    }
    EraseMemo(oldest);
  }
  Memo memo{std::move(ops), {0, 0, 0, 0}, hash, ++memoClock};
  memo.bounds = memo.ops.front().dst;
  for (const DrawOp& op : memo.ops) {
    memo.bounds = Union(memo.bounds, op.dst);
    if (op.source != nullptr) ++op.source->queue.memoReaders;
  }
  if (memos.empty()) Remembering().push_back(this);
  memos.push_back(std::move(memo));
}

}  // namespace platform
