// The thread identifiers both platform layers hand out (private to the platform layer): small
// numbers, unique in the process, the same whether a thread was made here or elsewhere.
#pragma once

namespace platform {

// A fresh identifier for a thread about to be made.
unsigned long NewThreadId();
// Called first on a thread this layer made: CurrentThreadId answers its identifier from then on.
void AdoptThreadId(unsigned long id);

}  // namespace platform
