#include "platform/sim/console/console.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console_commands.h"
#include "platform/sim/simulated_session.h"
#include "support/caused_work.h"
#include "support/error.h"

namespace tarnwick::sim {

// ---- the inbox

void Console::Inbox::push(Input input) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        lines_.push_back(std::move(input));
    }
    ready_.notify_all();
}

void Console::Inbox::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    ready_.notify_all();
}

void Console::Inbox::interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    ready_.notify_all();
}

std::optional<Console::Input> Console::Inbox::popLocked() {
    if (!lines_.empty()) {
        Input input = std::move(lines_.front());
        lines_.pop_front();
        return input;
    }
    if (closed_ && !endTaken_) {
        endTaken_ = true;
        return Input{Input::Kind::end, {}};
    }
    return std::nullopt;
}

std::optional<Console::Input> Console::Inbox::tryPop() {
    std::lock_guard lock(mutex_);
    return popLocked();
}

Console::Input Console::Inbox::waitPop() {
    std::unique_lock lock(mutex_);
    while (true) {
        // Once the process was asked to end, every alert is answered at once.
        if (interrupted_) return Input{Input::Kind::interrupt, {}};
        if (auto input = popLocked()) return *input;
        // After the end nobody can answer, so every later wait hears the end again.
        if (closed_) return Input{Input::Kind::end, {}};
        ready_.wait(lock);
    }
}

void Console::Inbox::returnEnd() {
    std::lock_guard lock(mutex_);
    endTaken_ = false;
}

void Console::Inbox::waitFor(double seconds) {
    std::unique_lock lock(mutex_);
    ready_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return interrupted_; });
}

// ---- the console

Console::Console(SimulatedSession& session, ConsoleSink& sink, bool prompt, std::function<std::size_t()> terminalColumns)
    : session_(session),
      terminal_(sink, "> ",
                TerminalLineEditor::Typed{[this](std::string line) { receive(std::move(line)); },
                                          [this] { receiveOverlongLine(); }, [this] { endOfInput(); },
                                          [this] {
                                              if (keyboardWatcher_) keyboardWatcher_();
                                          }},
                terminalColumns),
      terminalColumns_(std::move(terminalColumns)),
      prompt_(prompt),
      printer_(session, terminal_),
      weak_(lifetime_.weak()) {
    auto weak = weak_;
    settledObserver_ = session_.loop().addSettledObserver([this, weak] {
        if (weak) onSettled();
    });
    auto& alerts = session_.alertScript;
    alerts.onShow = [this](const platform::Alert& alert) {
        printer_.printChanges();
        std::string line = "alert " + quotedText(alert.messageText);
        if (!alert.informativeText.empty()) line += " informative " + quotedText(alert.informativeText);
        if (alert.textField) line += " field " + quotedText(alert.textField->stringValue);
        line += " buttons";
        for (const auto& button : alert.buttons) line += " " + quotedText(button.title);
        printer_.printEvent(line);
    };
    alerts.ask = [this](platform::Alert& alert) { return askAlert(alert); };
    alerts.onClose = [this](const platform::Alert&, const std::string& button) {
        printer_.printEvent(button.empty() ? std::string("alert closed without an answer")
                                           : "alert closed with " + quotedText(button));
    };
}

Console::~Console() {
    session_.loop().removeSettledObserver(settledObserver_);
    session_.alertScript.onShow = nullptr;
    session_.alertScript.ask = nullptr;
    session_.alertScript.onClose = nullptr;
}

void Console::post() {
    auto weak = weak_;
    session_.loop().post([this, weak] {
        if (weak) drain();
    });
}

void Console::receive(std::string line) {
    inbox_.push(Input{Input::Kind::line, std::move(line)});
    post();
}

void Console::receiveOverlongLine() {
    inbox_.push(Input{Input::Kind::overlong, {}});
    post();
}

void Console::endOfInput() {
    inbox_.close();
    post();
}

void Console::interrupt() { inbox_.interrupt(); }

bool Console::onVirtualTime() const { return session_.clock().isManual(); }

bool Console::stopped() const { return ended_ || quitting_ || session_.loop().stopRequested(); }

void Console::write(const std::string& text) { written(terminal_.write(text)); }

void Console::written(bool delivered) {
    // Nobody reads any more (a closed pipe): as if the input had ended.
    if (!delivered && !outputLost_) {
        outputLost_ = true;
        endOfInput();
    }
}

void Console::say(const std::string& line) { write(line + "\n"); }

void Console::prompt() {
    if (prompt_ && ready_ && !ended_ && !quitting_) written(terminal_.showPrompt());
}

void Console::answer(const std::string& text) {
    answerOwed_ = false;
    write(text + "\n");
    prompt();
}

void Console::markReady() {
    if (ready_) return;
    ready_ = true;
    printer_.printChanges();
    write("ready\n");
    prompt();
}

void Console::launched() {
    if (ended_) return;
    markReady();
    drain();
}

void Console::applicationEnded(int status) {
    if (ended_) return;
    terminal_.stopPrompting();
    printer_.printChanges();
    // A command whose work ended the run (an alert's answer that installs and quits) still gets
    // its answer, before the end.
    if (answerOwed_) write("ok\n");
    printer_.printEvent("application ended with status " + std::to_string(status));
    ended_ = true;
    answerOwed_ = false;
    waitEnd_.cancel();
}

void Console::settle() {
    // On virtual time the loop runs every executor's work and only `wait` moves the clock: only a
    // worker thread can still finish something.
    const auto outcome = CommandSettling::settle(session_.loop(), CausedWork::current(), onVirtualTime(),
                                                 kLongestSettle, settleWaiting_);
    if (outcome == CommandSettling::Outcome::stillRunning) stillRunning_ = true;
}

void Console::onSettled() {
    if (ended_) return;
    printer_.printChanges();
    // An alert answered outside any command (one shown at launch or by a timer) owes its answer
    // once the loop has run what the answer set going.
    if (!executing_ && !deferred_ && answerOwed_) {
        answer("ok");
        post();  // the lines (or the end of input) that waited for this answer
    }
}

void Console::drain() {
    // An alert answered outside any command is answered once the loop has run what the answer
    // set going (onSettled); the lines after it, and the end of input, wait for that answer.
    if (!ready_ || executing_ || deferred_ || answerOwed_ || stopped()) return;
    while (auto input = inbox_.tryPop()) {
        switch (input->kind) {
        case Input::Kind::interrupt: break;  // only alerts hear it (the signal's work is on the loop)
        case Input::Kind::end: requestQuit(); return;
        case Input::Kind::line:
        case Input::Kind::overlong: run(*input, false); break;
        }
        if (deferred_ || stopped()) return;
    }
}

void Console::execute(std::string_view line) {
    receive(std::string(line));
    drain();
}

void Console::run(const Input& input, bool duringAlert) {
    std::vector<std::string> words;
    const bool outer = !executing_;
    executing_ = true;
    // A command run during an alert nests in the one that led to the alert.
    const bool stillRunningBefore = std::exchange(stillRunning_, false);
    try {
        if (input.kind == Input::Kind::overlong)
            throw Error("The line is longer than " + std::to_string(kLongestConsoleLine) +
                        " bytes; type a shorter command.");
        const CommandLine line = splitCommandLine(input.text);
        words = line.words;
        if (words.empty()) {
            // A blank line or a comment is no command: no answer, only the prompt again.
            stillRunning_ = stillRunningBefore;
            if (outer) executing_ = false;
            prompt();
            return;
        }
        answerOwed_ = true;
        // What changed before the command (the work of other turns) comes first.
        printer_.printChanges();
        {
            // What the command sets going for now, on this thread or another, is its work, and
            // only its own work is waited for.
            CausedWork::Scope caused(CausedWork::newCause());
            dispatch(words, duringAlert, line.comment);
            if (!duringAlert && !stopped()) settle();
        }
        printer_.printChanges();
        const bool stillRunning = std::exchange(stillRunning_, stillRunningBefore);
        if (answerOwed_ && !deferred_ && !(duringAlert && alertAnswer_))
            answer(stillRunning ? kStillRunningAnswer : "ok");
    } catch (const std::exception& error) {
        stillRunning_ = stillRunningBefore;
        printer_.printChanges();
        answer(std::string("error: ") + oneLine(error.what()));
    }
    if (outer) executing_ = false;
}

void Console::dispatch(const std::vector<std::string>& words, bool duringAlert, CommentCut comment) {
    std::size_t first = 0;
    std::optional<std::string> window;
    if (words[0] == "in") {
        if (words.size() < 3)
            throw Error("in needs a window's title and a command, as in: in \"Tarnwick Settings\" set \"Launch at "
                        "login\" on.");
        window = words[1];
        first = 2;
    }
    const ConsoleCommand* command = findConsoleCommand(words[first]);
    if (!command) throw Error("Unknown command " + quotedText(words[first]) + "; type help for the list of commands.");
    if (window && !command->takesWindow) throw Error(command->name + " acts on no window; type " + command->usage + ".");
    if (duringAlert && !command->duringAlert)
        throw Error("An alert is open (" + quotedText(alert_ ? alert_->messageText : std::string()) +
                    "); answer it first with alert press \"<button>\" (screen and wait work meanwhile).");
    if (!duringAlert && command->name == "alert") throw Error("No alert is open; alert answers an alert that shows.");
    CommandContext context{
        *this, session_, std::vector<std::string>(words.begin() + static_cast<std::ptrdiff_t>(first) + 1, words.end()),
        window, command->name, comment};
    command->run(context);
}

void Console::answerAlert(SimAlertAnswer answer) {
    if (!alert_) throw Error("No alert is open; alert answers an alert that shows.");
    alertAnswer_ = std::move(answer);
}

void Console::waitFor(double seconds) {
    if (alert_) {
        // A modal run serves only its alert: time passes, and timers run when the alert closes.
        if (auto* manual = dynamic_cast<ManualClock*>(&session_.clock()))
            manual->set(manual->uptime() + seconds);
        else
            inbox_.waitFor(seconds);
        return;
    }
    if (auto* manual = dynamic_cast<ManualClock*>(&session_.clock())) {
        // Time stops where the application ended, as a running loop would stop there.
        if (&session_.loop().clock() == manual)
            session_.loop().advanceUntilStopped(manual->uptime() + std::max(0.0, seconds));
        else
            manual->advance(seconds);
        return;
    }
    deferred_ = true;
    auto weak = weak_;
    waitEnd_ = session_.loop().postAfter(seconds, [this, weak] {
        if (weak) finishWait();
    });
}

void Console::finishWait() {
    deferred_ = false;
    printer_.printChanges();
    if (answerOwed_) answer("ok");
    drain();
}

void Console::requestQuit() {
    if (quitting_ || ended_) return;
    quitting_ = true;
    answerOwed_ = false;
    printer_.printChanges();
    if (quit) quit();
}

std::optional<SimAlertAnswer> Console::askAlert(platform::Alert& alert) {
    if (ended_) return std::nullopt;
    markReady();
    // The command (or wait) that led here is answered now: the alert is what it caused.
    if (answerOwed_) {
        waitEnd_.cancel();
        deferred_ = false;
        answer("ok");
    }
    alert_ = &alert;
    alertAnswer_.reset();
    const bool wasExecuting = executing_;
    executing_ = true;
    bool inputEnded = false;
    while (!alertAnswer_) {
        const Input input = inbox_.waitPop();
        switch (input.kind) {
        case Input::Kind::interrupt: alertAnswer_ = SimAlertAnswer("escape"); break;
        case Input::Kind::end:
            // No one can answer any more, in real time as on virtual time: the alert is
            // dismissed as Escape would, nothing it holds is kept.
            inputEnded = true;
            alertAnswer_ = SimAlertAnswer("escape");
            break;
        case Input::Kind::line:
        case Input::Kind::overlong: run(input, true); break;
        }
    }
    executing_ = wasExecuting;
    alert_ = nullptr;
    // `alert press` is answered once the alert has closed and its effects are printed; Escape
    // from the end of input or a signal answers no command.
    answerOwed_ = !inputEnded && answerOwed_;
    if (inputEnded) {
        // The end of input still ends the run once the alert is gone.
        inbox_.returnEnd();
        post();
    }
    return alertAnswer_;
}

}  // namespace tarnwick::sim
