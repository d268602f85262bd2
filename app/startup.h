#pragma once
// Start-up work both programs do before converting: the image classes are registered with the
// picture container, each for its file extensions.

namespace vermaline {

// Registers every image class the system reads; safe to call more than once.
void RegisterGraphicClasses();

} // namespace vermaline
