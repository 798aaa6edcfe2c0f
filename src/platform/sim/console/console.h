#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/alerts.h"
#include "platform/sim/console/change_printer.h"
#include "platform/sim/console/command_settling.h"
#include "platform/sim/console/command_words.h"
#include "platform/sim/console/console_sink.h"
#include "platform/sim/console/terminal_line_editor.h"
#include "platform/sim/installation_state.h"
#include "support/observable.h"
#include "support/run_loop.h"

namespace tarnwick::sim {

class SimulatedSession;

// The simulated user's hands and eyes: reads commands, acts on the session as a person would
// (switch desktop, open Mission Control, click a label, answer an alert, plug a display) and
// prints what changed on the screen. Commands run on the main loop, one at a time; each is
// answered, after every change it caused so far has been printed, by "ok" or
// "error: <sentence>". A line that is blank or only a comment gets no answer.
//
// On virtual time (a manual clock) only `wait` moves the clock, so a run is deterministic. A
// modal alert with no scripted answer waits for the console's `alert` commands; meanwhile only
// console input, `screen` and `wait` are served, as a modal run serves only its alert. The
// command that led to the alert is answered when it shows; `alert press` is answered once the
// alert has closed and its effects are printed.
//
// Input arrives from any thread (the program's reader thread); everything else is main loop only.
class Console {
public:
    // With `prompt` the console is at a terminal: its line editor draws a prompt for each
    // command and takes keystrokes (`type`); `terminalColumns` is the terminal's width now.
    Console(SimulatedSession& session, ConsoleSink& sink, bool prompt = false,
            std::function<std::size_t()> terminalColumns = {});
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // ---- input, from any thread
    // Keystrokes at the terminal, for the line editor (with whether more were already waiting
    // after them), and where its keyboard stands after them.
    TerminalLineEditor::Typing type(std::string_view keystrokes, bool morePending = false) {
        return terminal_.type(keystrokes, morePending);
    }
    TerminalLineEditor::Typing typing() { return terminal_.typing(); }
    // Called when the keyboard is wanted again or no longer (a prompt shows, the run ends; see
    // TerminalLineEditor): set by the reader of the terminal before it reads, cleared after its
    // last read.
    void watchKeyboard(std::function<void()> lookAgain) { keyboardWatcher_ = std::move(lookAgain); }
    // The terminal's input ended or failed: what was typed ahead and entered still runs.
    void keyboardGone() { terminal_.keyboardGone(); }
    // The program continued after a stop: the prompt's line is drawn again.
    void continued() { terminal_.continued(); }
    // A whole line (from a pipe or a file, or from the line editor).
    void receive(std::string line);
    // A line longer than the console reads (its text is not kept).
    void receiveOverlongLine();
    // No more input: the console does what `quit` does, after answering an open alert (and any
    // later one) with Escape.
    void endOfInput();
    // The process was asked to end: an alert waiting for an answer is answered with Escape, so
    // that the main loop turns again and the termination can run.
    void interrupt();

    // ---- the run (main loop)
    // The launch sequence has finished: prints "ready" and starts taking commands.
    void launched();
    // The application ended: prints its status; later commands get no answer.
    void applicationEnded(int status);
    bool hasEnded() const { return ended_; }
    // Log out: the application terminates as on a logout. The entry point fills it; the run ends
    // when the application does.
    std::function<void()> quit;
    // Runs the commands received so far (posted to the loop whenever input arrives).
    void drain();
    // Runs one line now, as if typed (in-process tests).
    void execute(std::string_view line);

    // ---- for the commands
    SimulatedSession& session() { return session_; }
    // A line of a command's own output (help, screen).
    void say(const std::string& line);
    // The columns of the terminal the output goes to; 0 when it goes to no terminal.
    std::size_t terminalWidth() const { return terminalColumns_ ? terminalColumns_() : 0; }
    bool onVirtualTime() const;
    // The alert waiting for the console's answer, if any.
    platform::Alert* openAlert() const { return alert_; }
    void answerAlert(SimAlertAnswer answer);
    void waitFor(double seconds);
    void requestQuit();
    // Runs what the command being run set going for now (posted work, notifications, work
    // handed to worker threads and what it posts back), as the next turns of the main loop
    // would; later work (timers, delays) and other commands' work are not waited for. At the cap
    // the command's answer says that its work still runs.
    void settle();
    // How settling measures and spends real time (tests: without any real time passing).
    void setSettleWaiting(CommandSettling::Waiting waiting) { settleWaiting_ = std::move(waiting); }

    // When the simulated user last clicked the status item once (the loop's uptime): the menu
    // such a click opens comes only after the double-click interval.
    std::optional<double> lastStatusItemClick;

    static constexpr double kLongestWait = 3600;
    // Real seconds a command's answer waits at most for its work on other threads: a worker
    // that never finishes must not hang the console.
    static constexpr double kLongestSettle = 5;
    // The answer of a command whose work still ran when the cap was reached.
    static constexpr const char* kStillRunningAnswer =
        "ok: its work is still running after 5 seconds; what it changes prints when it happens.";
    static_assert(kLongestSettle == 5 &&
                      std::string_view(kStillRunningAnswer).find(" after 5 seconds;") != std::string_view::npos,
                  "the still-running answer names the settle cap: change its sentence with kLongestSettle");

private:
    struct Input {
        enum class Kind { line, overlong, end, interrupt };
        Kind kind = Kind::line;
        std::string text;
    };
    // Lines from the reader thread; a modal alert takes them straight from here, since the main
    // loop does not turn while it waits.
    class Inbox {
    public:
        void push(Input input);
        void close();
        void interrupt();
        // The next line or the end of input.
        std::optional<Input> tryPop();
        // Waits for the next input; an interrupt, once there was one, comes first and for good;
        // once the lines are used up after the end, the end comes every time.
        Input waitPop();
        // Waits up to the seconds, or until an interrupt is pending.
        void waitFor(double seconds);
        // The end of input was taken by someone who could not act on it: it comes once more.
        void returnEnd();

    private:
        std::optional<Input> popLocked();
        std::mutex mutex_;
        std::condition_variable ready_;
        std::deque<Input> lines_;
        bool closed_ = false;
        bool endTaken_ = false;
        bool interrupted_ = false;
    };

    void run(const Input& input, bool duringAlert);
    void dispatch(const std::vector<std::string>& words, bool duringAlert, CommentCut comment);
    void answer(const std::string& text);
    void write(const std::string& text);
    void written(bool delivered);
    void markReady();
    void prompt();
    void onSettled();
    void finishWait();
    void post();
    std::optional<SimAlertAnswer> askAlert(platform::Alert& alert);
    bool stopped() const;

    SimulatedSession& session_;
    // Everything goes out through the terminal's line editor, which passes text through while
    // no prompt shows (always, without a terminal).
    TerminalLineEditor terminal_;
    std::function<void()> keyboardWatcher_;
    std::function<std::size_t()> terminalColumns_;
    bool prompt_;
    ChangePrinter printer_;
    Inbox inbox_;
    std::uint64_t settledObserver_ = 0;

    bool ready_ = false;
    bool executing_ = false;
    bool answerOwed_ = false;
    bool deferred_ = false;   // a real-time wait answers later
    bool quitting_ = false;
    bool ended_ = false;
    bool outputLost_ = false;
    bool stillRunning_ = false;  // the command being run reached the settling cap
    CommandSettling::Waiting settleWaiting_ = CommandSettling::realTime();
    WorkItem waitEnd_;
    platform::Alert* alert_ = nullptr;
    std::optional<SimAlertAnswer> alertAnswer_;

    LifetimeToken lifetime_;
    LifetimeToken::Weak weak_;
};

}  // namespace tarnwick::sim
