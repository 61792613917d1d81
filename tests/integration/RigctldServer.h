#pragma once
// A real rigctld with Hamlib's dummy rig (-m 1) on a free local port, for the tests of
// the rigctld link; and a second client that asks it in the plain protocol.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include "support/WaitFor.h"

namespace harkola::test {

class RigctldServer {
 public:
  // Empty when rigctld is not installed (the caller skips).
  static QString executable() { return QStandardPaths::findExecutable("rigctld"); }

  RigctldServer() {
    QTcpServer probe;
    if (probe.listen(QHostAddress::LocalHost, 0)) port_ = probe.serverPort();
  }
  ~RigctldServer() { stop(); }

  quint16 port() const { return port_; }

  // Starts it and waits until it listens; false (with a test failure) when it does not.
  bool start() {
    process_.start(executable(), {"-m", "1", "-T", "127.0.0.1", "-t", QString::number(port_)});
    const bool up = process_.waitForStarted(3000) && waitFor([this] {
      QTcpSocket s;
      s.connectToHost(QHostAddress::LocalHost, port_);
      return s.waitForConnected(200);
    }, 5000);
    if (!up) ADD_FAILURE() << "rigctld does not start and listen on port " << port_;
    return up;
  }
  // Kills it as a crash would.
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(3000);
  }

  // One command in the plain protocol and its reply lines ("m" answers two lines). The
  // dummy rigctld now and then leaves a fresh connection unanswered; the question is then
  // asked again on a new connection (reads and sets of the dummy rig are repeatable).
  QStringList ask(const QString& command) {
    const int expected = command == "m" ? 2 : 1;
    QByteArray got;
    for (int attempt = 0; attempt < 3 && got.count('\n') < expected; ++attempt) {
      got.clear();
      QTcpSocket s;
      s.connectToHost(QHostAddress::LocalHost, port_);
      if (!s.waitForConnected(2000)) continue;
      s.write((command + "\n").toLatin1());
      s.waitForBytesWritten(2000);
      QElapsedTimer t;
      t.start();
      while (got.count('\n') < expected && t.elapsed() < 1500) {
        if (s.waitForReadyRead(200)) got += s.readAll();
      }
    }
    EXPECT_GE(got.count('\n'), expected) << "rigctld gave no answer to " << command.toStdString();
    return QString::fromLatin1(got).split('\n', Qt::SkipEmptyParts);
  }
  QString frequency() { return ask("f").value(0); }
  QString mode() { return ask("m").join(' '); }

 private:
  quint16 port_ = 0;
  QProcess process_;
};

}  // namespace harkola::test
