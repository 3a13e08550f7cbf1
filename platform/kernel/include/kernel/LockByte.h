#pragma once
// For the layer's tables in shared memory (named objects, the window station): a lock on one byte
// of a descriptor, held by the open file description rather than by the process or the thread. The
// system lets go of it when the description's last descriptor closes, a crash included, so a
// process that died never leaves a table locked. A table keeps two such bytes: a guard that
// serialises opening and leaving, and a holder byte every user holds shared, which whoever gets
// it exclusively knows it is alone (the first to come, or the last to go).
namespace tolvar::kernel {

enum class ByteLock { Shared, Exclusive, Unlocked };

// Takes, changes or lets go of the lock on `byte` of `fd`; with `wait`, until it can. False when
// it cannot be had now (without `wait`) or the descriptor refuses it. Interrupted waits go on.
bool LockByte(int fd, long long byte, ByteLock kind, bool wait);

}  // namespace tolvar::kernel
