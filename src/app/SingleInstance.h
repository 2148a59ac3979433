#pragma once

#include <QLockFile>

namespace quvane {

// Tells whether another copy of the program runs for this user, and holds the claim while this
// copy runs. A lock left behind by a crashed copy is taken over.
class SingleInstance
{
public:
    SingleInstance();
    bool isFirst() { return m_lock.tryLock(0); }

private:
    QLockFile m_lock;
};

} // namespace quvane
