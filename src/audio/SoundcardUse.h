#pragma once
// Opening and closing the analyser's audio input, with the messages the user knows
// from them. The capture itself is event driven (CaptureSource::blockReady); these only
// decide whether it may run and keep AnalyserRunning in step.

#include "common/PublicDecs.h"
#include "audio/CaptureSource.h"

class QWidget;

namespace harkola {

// True when some input can capture 11025 Hz mono 16-bit. Otherwise tells the user
// "Problem - soundcard is unsuitable!" and returns false; the caller then closes the
// analyser (and automatic logging) instead of running without audio.
bool InitDevices(CaptureProvider& provider, QWidget* parent);

// Starts `source`. On failure shows the "Problem!" message and returns false; the
// analyser then stays in the mode its button set, without capture, until STOP.
bool OpenSoundcard(CaptureSource& source, PublicDecs& d, QWidget* parent);

// Beeps, stops `source` (may be null: nothing to stop) and clears AnalyserRunning.
void StopSoundcard(CaptureSource* source, PublicDecs& d);

}  // namespace harkola
