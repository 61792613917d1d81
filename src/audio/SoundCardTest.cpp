#include "audio/SoundCardTest.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace harkola {

bool SoundCardTest() { return !QMediaDevices::audioOutputs().isEmpty(); }

}  // namespace harkola
