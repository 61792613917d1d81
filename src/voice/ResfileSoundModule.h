#pragma once
// The announcement clip player of the running program: plays the clips compiled into
// the program (":/voice/101.wav" .. ":/voice/118.wav") through the default sound
// output with QSoundEffect. Contract: see VoicePlayer.
//
// QSoundEffect loads a clip asynchronously (a few ms for these sizes) and plays it as
// soon as it is loaded; each clip keeps its own loaded effect, so replaying a clip
// costs nothing. Only one clip sounds at a time.

#include <QObject>
#include <array>

#include "voice/VoicePlayer.h"

class QSoundEffect;

namespace harkola {

class ResfileSoundModule : public QObject, public VoicePlayer {
  Q_OBJECT

 public:
  explicit ResfileSoundModule(QObject* parent = nullptr);
  ~ResfileSoundModule() override;

  void play(int number) override;
  void stop() override;

  // The names the main window calls.
  void PlayVoiceClip(int number) { play(number); }
  void StopVoice() { stop(); }

  // The clip last started (1..18), 0 after stop() or when none was started.
  int current() const { return m_current; }

  // The resource path of the clip for beacon `number` (1..18).
  static QString clipPath(int number);

 private:
  std::array<QSoundEffect*, kBeaconCount> m_effects{};
  int m_current = 0;
};

}  // namespace harkola
