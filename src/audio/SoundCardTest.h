#pragma once

namespace harkola {
// True when the system offers at least one sound output device.
bool SoundCardTest();
}  // namespace harkola
