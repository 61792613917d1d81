#pragma once
// The announcement clip player of the running program: plays the clips compiled into
// the program (":/voice/101.wav" .. ":/voice/118.wav") through the default sound
// output. Contract: see VoicePlayer.
//
// The clip's samples are handed to a QAudioSink from memory, followed by a short
// stretch of silence: the sound server may drop the last few tens of milliseconds
// when a stream ends, and that must not be the end of the callsign.

#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <memory>

#include "voice/VoicePlayer.h"

class QAudioSink;

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

  // The clip playing or last started (1..18); 0 after stop(), when none was started
  // or when the last one could not be played.
  int current() const { return m_current; }

  // The resource path of the clip for beacon `number` (1..18).
  static QString clipPath(int number);

  // Silence played after each clip, in milliseconds.
  static constexpr int kTailMs = 250;

 private:
  QByteArray m_samples;  // the clip being played plus its silent tail
  QBuffer m_buffer;      // reads m_samples; lives as long as the sink plays it
  std::unique_ptr<QAudioSink> m_sink;
  int m_current = 0;
};

}  // namespace harkola
