// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "link/link_session.h"
#include "protocol/command.h"
#include "sim/meter.h"
#include "sim/pty.h"

// The link session on a pseudo-terminal whose other side the test plays: the
// adapter's replies are written by hand, what the session writes is read back
// with the time it arrived.
class LinkSessionTest : public QObject {
    Q_OBJECT

    struct TArrival {
        qint64 ms;
        QByteArray bytes;
    };

    std::unique_ptr<sim::TPtyPair> pty_;
    std::unique_ptr<LinkSession> session_;
    QElapsedTimer clock_;
    QList<TArrival> arrivals_;

    // Spins the event loop for `ms`, collecting what the session wrote.
    void Pump(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QTest::qWait(5);
            const auto bytes = pty_->ReadAvailable();
            if (!bytes.empty())
                arrivals_.push_back(
                    {clock_.elapsed(), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()))});
        }
    }
    void Reply(const char* text) {
        pty_->Write(std::span(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)));
    }
    int WakesSince(qint64 ms) const {
        const protocol::TCommandFrame wake =
            protocol::BuildFunctionCommand(protocol::FnWake, false);
        const QByteArray w(reinterpret_cast<const char*>(wake.data()), 6);
        int n = 0;
        for (const TArrival& a : arrivals_)
            if (a.ms >= ms) n += static_cast<int>(a.bytes.count(w));
        return n;
    }
    static QByteArray Frame() {
        sim::TSimMeter meter({});
        const auto f = meter.BuildFrame();
        return QByteArray(reinterpret_cast<const char*>(f.data()), 18);
    }

    // Probe answered: the session is Ready.
    void StartReady() {
        session_->Start();
        Pump(100);
        Reply("OK");
        Pump(300);
        Reply("OK");
        QTRY_COMPARE_WITH_TIMEOUT(session_->State(), LinkSession::TState::Ready, 3000);
        arrivals_.clear();
    }

  private slots:
    void init() {
        pty_ = std::make_unique<sim::TPtyPair>();
        session_ = std::make_unique<LinkSession>(
            std::make_unique<FixedPortLocator>(QString::fromStdString(pty_->SlavePath())));
        clock_.start();
        arrivals_.clear();
    }
    void cleanup() {
        session_.reset();
        pty_.reset();
    }

    // Two writes asked for at once reach the adapter as two commands.
    void writesKeepTheirGap() {
        StartReady();
        session_->Connect();
        session_->Disconnect();
        Pump(300);
        QCOMPARE(arrivals_.size(), 2);
        QCOMPARE(arrivals_[0].bytes, QByteArray("AT+CONNL"));
        QCOMPARE(arrivals_[1].bytes, QByteArray("AT"));
        QVERIFY(arrivals_[1].ms - arrivals_[0].ms >= LinkSession::kWriteGapMs - 5);
    }

    void unansweredProbeClosesThePort() {
        QSignalSpy probe(session_.get(), &LinkSession::ProbeFinished);
        session_->Start();
        QTRY_COMPARE_WITH_TIMEOUT(probe.size(), 1, 3000);
        QCOMPARE(probe[0][0].toBool(), false);
        QCOMPARE(session_->State(), LinkSession::TState::Closed);
    }

    // Woken a second after the link is up, again while silent, never while
    // reporting or with the link down.
    void wakesOnlyAConnectedSilentMeter() {
        StartReady();
        QSignalSpy frames(session_.get(), &LinkSession::FrameReceived);
        session_->Connect();
        Pump(100);
        session_->HandleChunk("OK+CONN\r\n");
        QCOMPARE(session_->State(), LinkSession::TState::Connected);
        Pump(LinkSession::kAfterConnectMs + 300);
        QCOMPARE(WakesSince(0), 1);

        // A report stops the waking until the meter falls silent.
        session_->HandleChunk(Frame());
        QCOMPARE(frames.size(), 1);
        const qint64 reported = clock_.elapsed();
        Pump(LinkSession::kWakeMs + 500);
        QCOMPARE(WakesSince(reported), 0);
        Pump(LinkSession::kSilenceMs - LinkSession::kWakeMs);
        QCOMPARE(WakesSince(reported), 1);

        // The radio link goes: no more waking, frames are not taken.
        QSignalSpy lost(session_.get(), &LinkSession::LinkLost);
        session_->HandleChunk("OK+LOST");
        QCOMPARE(lost.size(), 1);
        QCOMPARE(session_->State(), LinkSession::TState::Ready);
        const qint64 down = clock_.elapsed();
        Pump(LinkSession::kWakeMs + 500);
        QCOMPARE(WakesSince(down), 0);
        session_->HandleChunk(Frame());
        QCOMPARE(frames.size(), 1);
    }

    // "AT+CONNL" left unanswered is given up, so a retry can follow; once the
    // adapter says it is connecting, the radio link gets longer.
    void unansweredConnectIsGivenUp() {
        StartReady();
        QSignalSpy unanswered(session_.get(), &LinkSession::ConnectUnanswered);
        session_->Connect();
        QTRY_COMPARE_WITH_TIMEOUT(unanswered.size(), 1, LinkSession::kConnectReplyMs + 1000);
        QCOMPARE(session_->State(), LinkSession::TState::Ready);

        session_->Connect();
        session_->HandleChunk("OK+CONNL");
        Pump(LinkSession::kConnectReplyMs + 500);
        QCOMPARE(unanswered.size(), 1);
        QCOMPARE(session_->State(), LinkSession::TState::Connecting);
        session_->HandleChunk("OK+CONN\r\n");
        QCOMPARE(session_->State(), LinkSession::TState::Connected);
    }

    // Closing drops the radio link with "AT" after whatever was queued.
    void closeSendsTheDropLast() {
        StartReady();
        session_->Connect();
        session_->HandleChunk("OK+CONN\r\n");
        session_->SendCommand(protocol::BuildFunctionCommand(protocol::FnRd, false));
        session_->Close();
        Pump(100);
        QByteArray all;
        for (const TArrival& a : arrivals_) all += a.bytes;
        QVERIFY(all.startsWith("AT+CONNL"));
        QVERIFY(all.endsWith("AT"));
        QCOMPARE(all.size(), 8 + 6 + 2);
        QCOMPARE(session_->State(), LinkSession::TState::Closed);
    }
};

QTEST_MAIN(LinkSessionTest)
#include "test_link_session.moc"
