#pragma once

namespace tallix {

// Lifts the soft limit of open descriptors to the hard one, so that a burst of connections
// to the single-instance socket, or anything else that opens many files at once, finds room.
void raiseDescriptorLimit();

}  // namespace tallix
