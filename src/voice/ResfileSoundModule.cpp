#include "voice/ResfileSoundModule.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

// The clips live in a static library: referencing the resource initialiser keeps the
// linker from dropping them. Must be called outside any namespace.
static void initVoiceResources() { Q_INIT_RESOURCE(voice); }

namespace harkola {

ResfileSoundModule::ResfileSoundModule(QObject* parent) : QObject(parent) {
  initVoiceResources();
}

ResfileSoundModule::~ResfileSoundModule() { stop(); }

QString ResfileSoundModule::clipPath(int number) {
  return QStringLiteral(":/voice/") + QString::fromStdString(voiceClipFileName(number));
}

void ResfileSoundModule::play(int number) {
  if (!isVoiceClipNumber(number)) return;
  stop();
  // Without an output device QSoundEffect pretends to play and logs warnings; there
  // is nothing to hear, so there is nothing to do.
  if (QMediaDevices::defaultAudioOutput().isNull()) return;
  QSoundEffect*& effect = m_effects[static_cast<std::size_t>(number - 1)];
  if (!effect) {
    effect = new QSoundEffect(this);
    effect->setSource(QUrl(QStringLiteral("qrc") + clipPath(number)));
  }
  effect->play();
  m_current = number;
}

void ResfileSoundModule::stop() {
  for (QSoundEffect* effect : m_effects)
    if (effect) effect->stop();
  m_current = 0;
}

}  // namespace harkola
