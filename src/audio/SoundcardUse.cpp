#include "audio/SoundcardUse.h"

#include "ui/UserDialogs.h"

namespace harkola {

bool InitDevices(CaptureProvider& provider, QWidget* parent) {
  if (!provider.inputs().empty()) return true;
  dialogs().message(parent, Notice{"You need a 16 bit soundcard for this part of Harkola to function",
                                   "Problem - soundcard is unsuitable!", NoticeIcon::Critical,
                                   NoticeButtons::Ok});
  return false;
}

bool OpenSoundcard(CaptureSource& source, PublicDecs& d, QWidget* parent) {
  QString why;
  if (source.start(why)) {
    d.AnalyserRunning = true;
    return true;
  }
  d.AnalyserRunning = false;
  dialogs().message(parent, Notice{"Soundcard didn't initialise.  Sorry, but you will need to re-boot "
                                   "your computer to reset it.  Close all running applications "
                                   "before doing so.",
                                   "Problem!", NoticeIcon::Exclamation, NoticeButtons::Ok});
  return false;
}

void StopSoundcard(CaptureSource* source, PublicDecs& d) {
  dialogs().beep();
  if (source) source->stop();
  d.AnalyserRunning = false;
}

}  // namespace harkola
