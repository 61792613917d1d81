#include "rig/RigSession.h"

#include <utility>

namespace harkola {

namespace {
constexpr const char* kTransmitWarning = "Please check and ensure your rig cannot transmit - see help files";
constexpr const char* kNeedsTest =
    "To ensure proper operation you must complete the Test routine in the Setup screen";
}  // namespace

RigSession::RigSession(PublicDecs& d, Rig& rig, Notifier notify, bool requireTest)
    : d_(d), rig_(&rig), notify_(std::move(notify)), requireTest_(requireTest) {}

void RigSession::setRig(Rig& rig, bool requireTest) {
  if (active_) finish();
  rig_ = &rig;
  requireTest_ = requireTest;
}

void RigSession::sayFailure(const RigResult& r) {
  if (!r.ok && !r.message.empty() && notify_)
    notify_(Notice{r.message, d_.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
}

RigSession::Toggle RigSession::toggle(int band) {
  if (active_) {
    finish();
    return Toggle::Finished;
  }
  if (requireTest_ && !d_.RigTested) {
    if (notify_) notify_(Notice{kNeedsTest, d_.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
    return Toggle::NeedsTest;
  }
  if (notify_) notify_(Notice{kTransmitWarning, d_.TitleText, NoticeIcon::Exclamation, NoticeButtons::Ok});
  const RigResult r = rig_->startSession(band);
  if (!r) {
    sayFailure(r);
    return Toggle::StartFailed;
  }
  active_ = true;
  return Toggle::Started;
}

void RigSession::finish() {
  if (!active_) return;
  active_ = false;
  sayFailure(rig_->finishSession());
}

void RigSession::changeBand(int band) {
  if (active_) sayFailure(rig_->changeBand(band));
}

}  // namespace harkola
