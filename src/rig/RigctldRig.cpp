#include "rig/RigctldRig.h"

#include "common/Bands.h"

#include <QDeadlineTimer>

namespace harkola {

RigctldRig::RigctldRig(QString host, quint16 port, int timeoutMs)
    : host_(std::move(host)), port_(port), timeoutMs_(timeoutMs) {}

RigctldRig::~RigctldRig() {
  // A session still running when the program ends is put back as well as it can be.
  if (session_ && !lost_) finishSession();
  socket_.abort();
}

std::string RigctldRig::where() const {
  return "rigctld at " + host_.toStdString() + ":" + std::to_string(port_);
}

void RigctldRig::disconnect() {
  if (socket_.state() == QAbstractSocket::ConnectedState) {
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.waitForDisconnected(timeoutMs_);
  }
  socket_.abort();
  reader_.clear();
}

RigResult RigctldRig::connectToServer() {
  socket_.abort();
  reader_.clear();
  socket_.connectToHost(host_, port_);
  if (socket_.waitForConnected(timeoutMs_)) return RigResult::success();
  std::string why;
  switch (socket_.error()) {
    case QAbstractSocket::ConnectionRefusedError:
      why = "Nothing answers at " + host_.toStdString() + ":" + std::to_string(port_) +
            ". Is rigctld running? Start it for your rig, for example: rigctld -m <rig model> -r "
            "/dev/ttyUSB0 (rigctld -l lists the models).";
      break;
    case QAbstractSocket::HostNotFoundError:
      why = "The host \"" + host_.toStdString() + "\" is not known. Check the rigctld address in Rig setup.";
      break;
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::UnknownSocketError:
      why = where() + " did not accept the connection within " + std::to_string(timeoutMs_) + " ms.";
      break;
    default:
      why = "Could not connect to " + where() + ": " + socket_.errorString().toStdString();
  }
  socket_.abort();
  return RigResult::failure(why);
}

std::optional<RigctldReply> RigctldRig::exchange(const RigctldCommand& c, std::string& error) {
  if (socket_.state() != QAbstractSocket::ConnectedState) {
    error = "the connection is closed";
    return std::nullopt;
  }
  if (trace_) trace_(c.line());
  const QDeadlineTimer deadline(timeoutMs_);
  const QByteArray bytes = QByteArray::fromStdString(c.line());
  if (socket_.write(bytes) != bytes.size()) {
    error = socket_.errorString().toStdString();
    return std::nullopt;
  }
  while (socket_.bytesToWrite() > 0) {
    if (!socket_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
      error = "the command could not be sent: " + socket_.errorString().toStdString();
      return std::nullopt;
    }
  }
  for (;;) {
    if (auto r = reader_.take()) return r;
    if (reader_.overflowed()) {
      error = "its reply made no sense (no RPRT line)";
      return std::nullopt;
    }
    if (socket_.bytesAvailable() > 0) {
      reader_.feed(socket_.readAll().toStdString());
      continue;
    }
    if (socket_.state() != QAbstractSocket::ConnectedState) {
      error = "rigctld closed the connection";
      return std::nullopt;
    }
    if (deadline.hasExpired() || !socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      if (socket_.bytesAvailable() > 0) continue;
      error = socket_.state() == QAbstractSocket::ConnectedState
                  ? "no answer to " + c.description() + " within " + std::to_string(timeoutMs_) + " ms"
                  : "rigctld closed the connection";
      return std::nullopt;
    }
  }
}

RigResult RigctldRig::connectionLost(const std::string& what) {
  lost_ = true;
  socket_.abort();
  reader_.clear();
  return RigResult::failure("The connection to " + where() + " failed: " + what +
                            ". Rig control has stopped; switch it on again to reconnect.");
}

RigResult RigctldRig::run(const RigctldCommand& c, RigctldReply* reply) {
  std::string error;
  auto r = exchange(c, error);
  if (!r) return connectionLost(error);
  if (r->code != 0) return RigResult::failure(rprtMessage(c, r->code));
  if (reply) *reply = std::move(*r);
  return RigResult::success();
}

RigResult RigctldRig::tuneTo(int band) {
  const auto cmd = RigctldCommand::setFrequency(beaconFrequencyHz(band));
  if (!cmd) return RigResult::failure("There is no band " + std::to_string(band));
  return run(*cmd);
}

void RigctldRig::restore() {
  // Best effort, in the order the session changed things: mode first, so a rig that
  // keeps a frequency per mode ends on the remembered frequency.
  if (lost_) return;
  if (savedMode_) {
    if (auto cmd = RigctldCommand::setMode(savedMode_->name, savedMode_->passbandHz)) run(*cmd);
  }
  if (savedFrequency_ && !lost_) {
    if (auto cmd = RigctldCommand::setFrequency(*savedFrequency_)) run(*cmd);
  }
}

RigResult RigctldRig::startSession(int band) {
  if (session_) finishSession();
  lost_ = false;
  savedFrequency_.reset();
  savedMode_.reset();
  if (beaconFrequencyHz(band) == 0) return RigResult::failure("There is no band " + std::to_string(band));
  if (RigResult r = connectToServer(); !r) return r;

  auto fail = [this](RigResult r) {
    restore();
    if (!lost_) disconnect();
    return r;
  };
  RigctldReply reply;
  if (RigResult r = run(RigctldCommand::getFrequency(), &reply); !r) return fail(r);
  savedFrequency_ = frequencyOf(reply);
  if (!savedFrequency_) return fail(RigResult::failure(where() + " gave no frequency for get_freq"));
  if (RigResult r = run(RigctldCommand::getMode(), &reply); !r) return fail(r);
  savedMode_ = modeOf(reply);
  // A mode the rig reports that we could not send back (not one word) is not restored,
  // but does not stop the session.
  if (savedMode_ && !RigctldCommand::setMode(savedMode_->name, savedMode_->passbandHz)) savedMode_.reset();

  // CW with the rig's normal passband; a rig that refuses that width gets CW as it is.
  RigResult cw = run(*RigctldCommand::setMode("CW", 0));
  if (!cw && !lost_) {
    if (run(*RigctldCommand::setMode("CW", -1))) cw = RigResult::success();
  }
  if (!cw) return fail(cw);
  if (RigResult r = tuneTo(band); !r) return fail(r);
  session_ = true;
  return RigResult::success();
}

RigResult RigctldRig::changeBand(int band) {
  if (!session_) return RigResult::failure("Rig control is not running");
  if (lost_) return RigResult{false, {}};
  return tuneTo(band);
}

RigResult RigctldRig::finishSession() {
  if (!session_) return RigResult::success();
  session_ = false;
  if (lost_) return RigResult{false, {}};
  RigResult result = RigResult::success();
  if (savedMode_) {
    if (RigResult r = run(*RigctldCommand::setMode(savedMode_->name, savedMode_->passbandHz)); !r) result = r;
  }
  if (savedFrequency_ && !lost_) {
    if (RigResult r = run(*RigctldCommand::setFrequency(*savedFrequency_)); !r && result) result = r;
  }
  if (!lost_) disconnect();
  savedFrequency_.reset();
  savedMode_.reset();
  return result;
}

SMeterReading RigctldRig::readSLevel() {
  SMeterReading s;
  if (!session_) {
    s.result = RigResult::failure("Rig control is not running");
    return s;
  }
  if (lost_) {
    s.result = RigResult{false, {}};
    return s;
  }
  RigctldReply reply;
  s.result = run(RigctldCommand::getStrength(), &reply);
  if (!s.result) return s;
  const auto db = strengthOf(reply);
  if (!db) {
    s.result = RigResult::failure(where() + " gave no S-meter value");
    return s;
  }
  s.dbOverS9 = *db;
  s.sLevel = sLevelFromStrength(*db);
  return s;
}

}  // namespace harkola
