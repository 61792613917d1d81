#pragma once
// The rig through Hamlib's rigctld over TCP (the rig server that other station programs
// share), behind the Rig interface.
//
// A session: connect, remember the rig's frequency and mode, set CW and the band's
// beacon frequency; a band change sets the frequency; finishing puts the remembered
// frequency and mode back and disconnects. Only the commands of RigctldCommand are sent
// (frequency, mode and S-meter), so the link never keys the transmitter.
//
// Every call blocks the calling thread for a bounded time (connect and each reply wait
// at most timeoutMs; no event loop runs meanwhile, so no other handler can re-enter).
// A connection that is lost or stops answering ends the session with one failure that
// says so; later calls of the session fail without a second message (finishSession
// returns !ok with an empty message), and the next startSession connects afresh.

#include <QString>
#include <QTcpSocket>
#include <functional>
#include <optional>
#include <string>

#include "rig/Rig.h"
#include "rig/RigctldProtocol.h"

namespace harkola {

struct SMeterReading {
  RigResult result;
  int dbOverS9 = 0;  // as the rig reports it
  int sLevel = 0;    // 1..9 when result.ok
};

class RigctldRig : public Rig {
 public:
  static constexpr quint16 kDefaultPort = 4532;

  RigctldRig(QString host = QStringLiteral("localhost"), quint16 port = kDefaultPort, int timeoutMs = 3000);
  ~RigctldRig() override;

  RigResult startSession(int band) override;
  RigResult changeBand(int band) override;
  RigResult finishSession() override;

  // The rig's S-meter now; fails outside a session.
  SMeterReading readSLevel();

  bool sessionRunning() const { return session_; }
  // The running session's connection failed (and that has been reported once).
  bool connectionLost() const { return session_ && lost_; }
  // Every command line written, as written (for a diagnostic trace).
  void setTrace(std::function<void(const std::string&)> trace) { trace_ = std::move(trace); }

 private:
  // Sends one command and waits for its reply. A missing reply or a lost connection
  // ends the session (lost_); a reply with RPRT != 0 is returned as it is.
  std::optional<RigctldReply> exchange(const RigctldCommand& c, std::string& error);
  RigResult run(const RigctldCommand& c, RigctldReply* reply = nullptr);
  RigResult connectToServer();
  RigResult connectionLost(const std::string& what);
  RigResult tuneTo(int band);
  void restore();
  void disconnect();
  std::string where() const;

  QString host_;
  quint16 port_;
  int timeoutMs_;
  QTcpSocket socket_;
  RigctldReplyReader reader_;
  std::function<void(const std::string&)> trace_;
  bool session_ = false;
  bool lost_ = false;  // the session's connection failed and that has been reported
  std::optional<std::int64_t> savedFrequency_;
  std::optional<RigMode> savedMode_;
};

}  // namespace harkola
