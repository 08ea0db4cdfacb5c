// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Runs the built tax2008 through the platform's shell, as a user would: input
// on standard input, then the exact bytes of standard output, standard error
// and the exit status. The command line that starts the program (its path, and
// an emulator before it where there is one) comes as this test's arguments.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#endif

namespace {

#ifdef _WIN32
const std::string lineEnd = "\r\n";
// Wine, where the Windows build is tested, maps drive Z: to the Unix root.
const std::string toFullDisk = "> Z:\\dev\\full";
#else
const std::string lineEnd = "\n";
const std::string toFullDisk = "> /dev/full";
#endif

// The command that starts the program, as this test's arguments, and quoted
// for the platform's shell.
std::vector<std::string> programArguments;
std::string program;

std::string shellWord(const std::string& word)
{
#ifdef _WIN32
    std::string path = word;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return '"' + path + '"';
#else
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
#endif
}

struct Outcome {
    std::string out;
    std::string err;
    int status;
};

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The scratch files, in a folder of the test's own, so that a run by hand
// leaves nothing in the current folder.
std::string scratchFolder, inputFile, outputFile, errorFile;
std::string fromInputFile, toOutputFile;

// Makes the scratch folder before the first test, and removes it after the
// last.
class ScratchFolder : public testing::Environment {
  public:
    void SetUp() override
    {
        std::random_device random;
        do {
            folder = std::filesystem::temp_directory_path() / ("tax2008-dialogue-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(folder));
        scratchFolder = folder.string();
        inputFile = (folder / "in").string();
        outputFile = (folder / "out").string();
        errorFile = (folder / "err").string();
        fromInputFile = "< " + shellWord(inputFile);
        toOutputFile = "> " + shellWord(outputFile);
    }

    void TearDown() override
    {
        std::filesystem::remove_all(folder);
    }

  private:
    std::filesystem::path folder;
};

// Runs `command` through the shell, its standard error into the error file,
// and reads back the output file. A program ended by a signal has the status
// a POSIX shell gives it, 128 and the signal's number.
Outcome runCommand(const std::string& command)
{
    // A case whose program writes nothing must not read the output of the one before.
    static_cast<void>(std::remove(outputFile.c_str()));
#ifdef _WIN32
    // cmd /c drops the first and the last quote of a line that has more than
    // two: these are the ones it drops.
    const std::string line = '"' + command + " 2> " + shellWord(errorFile) + '"';
#else
    const std::string line = command + " 2> " + shellWord(errorFile);
#endif
    const int status = std::system(line.c_str()); // NOLINT(cert-env33-c): through the shell, as a user would
#ifdef _WIN32
    return {readFile(outputFile), readFile(errorFile), status};
#else
    if (WIFSIGNALED(status)) {
        return {readFile(outputFile), readFile(errorFile), 128 + WTERMSIG(status)};
    }
    return {readFile(outputFile), readFile(errorFile), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
#endif
}

// Feeds `input` to the program through the shell's redirections of its
// standard input and output: by default from and to files, the output file
// read back as the result.
Outcome runProgram(const std::string& input, const std::string& stdinRedirection = fromInputFile,
                   const std::string& stdoutRedirection = toOutputFile)
{
    std::ofstream(inputFile, std::ios::binary) << input;
    return runCommand(program + " " + stdinRedirection + " " + stdoutRedirection);
}

#ifndef _WIN32
// Runs the program with its standard input piped from the POSIX shell
// command `producer`, and its output into the output file.
Outcome runFedBy(const std::string& producer)
{
    return runCommand(producer + " | " + program + " " + toOutputFile);
}
#endif

// The program's C++ library, and how the runtime that starts it differs. The
// WebAssembly program has libc++ and wasi-libc, whose words for ENOMEM differ
// from glibc's, and runs under Node, which ignores SIGPIPE whatever it was
// handed, so the program ends by it even where the shell ignores it.
#if defined(_LIBCPP_VERSION) || defined(TAX2008_TESTS_WASI_PROGRAM)
constexpr bool libcxx = true;
#else
constexpr bool libcxx = false;
#endif
#ifdef TAX2008_TESTS_WASI_PROGRAM
const std::string outOfMemory = "Out of memory";
constexpr bool keepsAnIgnoredSigpipe = false;
#else
const std::string outOfMemory = "Cannot allocate memory";
constexpr bool keepsAnIgnoredSigpipe = true;
#endif

// A row of the table of inputs: what the program prints for `input` with
// each C++ library, a tax or "out of range".
struct Dialogue {
    std::string name;
    std::string input;
    std::string libstdcxxResult;
    std::string libcxxResult;
};

// The table of inputs that the web page's test reads too; its rows are
// tab-separated, with \n for a line end.
std::vector<Dialogue> readDialogues()
{
    std::ifstream table(TAX2008_DIALOGUE_INPUTS);
    std::vector<Dialogue> dialogues;
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');) {
            for (std::size_t at = field.find("\\n"); at != std::string::npos; at = field.find("\\n", at + 1)) {
                field.replace(at, 2, "\n");
            }
            fields.push_back(field);
        }
        fields.resize(4);
        dialogues.push_back({fields[0], fields[1], fields[2], fields[3].empty() ? fields[2] : fields[3]});
    }
    return dialogues;
}

const std::string prompt = "Please enter your 2008 taxable income: ";
const std::string outOfRange = "tax2008: the taxable income is out of range";
const std::string readError = "tax2008: could not read the taxable income: ";

// All that the program writes to standard output for a tax printed as `amount`.
std::string dialogueWithTax(const std::string& amount)
{
    return prompt + lineEnd + "Your 2008 tax is: $" + amount + lineEnd;
}

// Expects the program to have written `out` and `err`, and ended with
// `status`.
void expectOutcome(const Outcome& outcome, const std::string& out, const std::string& err, int status)
{
    EXPECT_EQ(outcome.out, out);
    EXPECT_EQ(outcome.err, err);
    EXPECT_EQ(outcome.status, status);
}

class Dialogues : public testing::TestWithParam<Dialogue> {};

TEST_P(Dialogues, PrintsTheTaxOrTheRangeError)
{
    const Dialogue& d = GetParam();
    const std::string& result = libcxx ? d.libcxxResult : d.libstdcxxResult;
    const bool inRange = result != "out of range";
    expectOutcome(runProgram(d.input), inRange ? dialogueWithTax(result) : prompt, inRange ? "" : outOfRange + lineEnd,
                  inRange ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Inputs, Dialogues, testing::ValuesIn(readDialogues()),
                         [](const testing::TestParamInfo<Dialogue>& row) { return row.param.name; });

const std::string writeError = "tax2008: could not write the result to standard output: ";

// Runs the program with standard output redirected so, and expects the
// write error, with its cause.
void expectWriteError(const std::string& stdoutRedirection, const std::string& cause)
{
    const Outcome outcome = runProgram("50000\n", fromInputFile, stdoutRedirection);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, writeError + cause + lineEnd);
}

TEST(Dialogue, FailsWhenTheResultCannotBeWritten)
{
    expectWriteError(toFullDisk, "No space left on device");
}

TEST(Dialogue, FailsWhenStandardOutputIsClosed)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd cannot close a program's standard output";
#endif
    expectWriteError(">&-", "Bad file descriptor");
}

// Runs the program with `input` on standard input, or with the redirection
// given, and expects the run to end after the prompt, with `error` on
// standard error and status 1.
void expectRefusal(const std::string& input, const std::string& stdinRedirection, const std::string& error)
{
    SCOPED_TRACE(testing::Message() << "input \"" << input.substr(0, 20) << "\" " << stdinRedirection);
    expectOutcome(runProgram(input, stdinRedirection), prompt, error + lineEnd, 1);
}

TEST(Dialogue, FailsWhenTheInputIsADirectory)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd cannot redirect a program's standard input from a directory";
#endif
    expectRefusal("", "< .", readError + "Is a directory");
}

TEST(Dialogue, FailsWhenTheInputIsClosed)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd cannot close a program's standard input";
#endif
    expectRefusal("", "<&-", readError + "Bad file descriptor");
}

#if defined(__SANITIZE_ADDRESS__)
#define TAX2008_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAX2008_SANITIZED 1
#endif
#endif

// A number too long for the memory the program may have: the C++ library
// fails to collect its digits, and libstdc++ took that for no number, $0.00,
// while libc++ without exceptions went on with no memory at all.
TEST(Dialogue, FailsOnANumberTooLongForItsMemory)
{
#if defined(_WIN32)
    GTEST_SKIP() << "cmd cannot limit a program's memory";
#elif defined(TAX2008_SANITIZED)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
#ifdef TAX2008_TESTS_WASI_PROGRAM
    // Node reserves far more address space than it uses, so its limit is on
    // the module's memory (4 GiB for 32-bit WebAssembly, filled only in
    // minutes): V8's, set to 128 MiB by a script that Node loads first.
    const std::string limit = scratchFolder + "/limit-memory.cjs";
    std::ofstream(limit) << "require('v8').setFlagsFromString('--wasm-max-mem-pages=2048');\n";
    const std::string limitMemory = "export NODE_OPTIONS=--require=" + shellWord(limit);
#else
    if (programArguments.size() > 1) {
        GTEST_SKIP() << "an emulator needs more address space than the limit leaves";
    }
    const std::string limitMemory = "ulimit -v 100000";
#endif
    // Sixty million nines, under a limit of a hundred megabytes or so: the
    // digits fit, but not twice over, as a growing string needs them.
    expectOutcome(runFedBy(limitMemory + "; head -c 60000000 /dev/zero | tr '\\0' 9"), prompt,
                  readError + outOfMemory + "\n", 1);
#endif
}

// A number of ten million digits: beyond a double's range, or, in zeros
// before 50000, the income 50000 (a runtime that aborted on the long read,
// as Node 20's WASI can, would fail both).
TEST(Dialogue, ReadsANumberOfTenMillionDigits)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd has no head and tr to make the number";
#else
    const std::string digits = "head -c 10000000 /dev/zero | tr '\\0' ";
    expectOutcome(runFedBy(digits + "1"), prompt, outOfRange + lineEnd, 1);
    expectOutcome(runFedBy("{ " + digits + "0; echo 50000; }"), dialogueWithTax("8843.75"), "", 0);
#endif
}

// A number that comes late down a pipe: the program waits for it, as at a
// console (a runtime that made the pipe non-blocking would fail the read).
TEST(Dialogue, WaitsForASlowPipe)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd has no sleep to hold a pipe back";
#else
    expectOutcome(runFedBy("{ sleep 1; echo 50000; }"), dialogueWithTax("8843.75"), "", 0);
#endif
}

// Standard output a pipe whose reader is gone: the program ends by SIGPIPE as
// other tools do, or where SIGPIPE is ignored (by the shell here), fails with
// the write error.
TEST(Dialogue, EndsWhenItsReaderIsGone)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no SIGPIPE, and cmd no way to pass a pipe without a reader";
#else
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    const std::string toClosedPipe = ">&" + std::to_string(ends[1]);
    std::ofstream(inputFile, std::ios::binary) << "50000\n";

    const Outcome ended = runCommand(program + " " + fromInputFile + " " + toClosedPipe);
    EXPECT_EQ(ended.status, 128 + SIGPIPE);
    EXPECT_EQ(ended.err, "");

    const Outcome ignored = runCommand("trap '' PIPE; " + program + " " + fromInputFile + " " + toClosedPipe);
    EXPECT_EQ(ignored.status, keepsAnIgnoredSigpipe ? 1 : 128 + SIGPIPE);
    EXPECT_EQ(ignored.err, keepsAnIgnoredSigpipe ? writeError + "Broken pipe" + lineEnd : "");
    close(ends[1]);
#endif
}

// Whatever follows the number is not used. From a regular file the C library
// sets the input back to where the program stopped reading, so the next
// reader finds the rest, from the line end after the number; from a pipe the
// rest of the block it read is gone.
TEST(Dialogue, LeavesTheRestOfAFileButNotOfAPipe)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd cannot hand one standard input to two programs in turn";
#else
    std::ofstream(inputFile, std::ios::binary) << "50000\nsecond line\n";
    const std::string thenCat = "{ " + program + " >/dev/null; cat; } ";
    EXPECT_EQ(runCommand(thenCat + fromInputFile + " " + toOutputFile).out, "\nsecond line\n");
    EXPECT_EQ(runCommand("cat " + shellWord(inputFile) + " | " + thenCat + toOutputFile).out, "");
#endif
}

#if defined(__linux__)
// Opens a new pseudo-terminal: `terminal` is the side this test types on and
// reads, `user` the side the program has. Raw, it passes on what is typed
// without waiting for a line end, and echoes it, so that this side sees when
// it has arrived; otherwise it passes on whole lines, without an echo.
bool openTerminal(int& terminal, int& user, bool raw)
{
    terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return false;
    }
    user = open(ptsname(terminal), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios mode{};
    tcgetattr(user, &mode);
    if (raw) {
        cfmakeraw(&mode);
        mode.c_lflag |= ECHO;
    } else {
        mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    }
    tcsetattr(user, TCSANOW, &mode);
    return true;
}

// Starts the program with the standard streams that `streams` gives it, and
// returns its process id, or 0 where it could not be started.
pid_t startProgram(posix_spawn_file_actions_t& streams)
{
    std::vector<char*> argv;
    argv.reserve(programArguments.size() + 1);
    for (std::string& argument : programArguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &streams, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&streams);
    if (spawned != 0) {
        ADD_FAILURE() << "could not start " << argv[0];
        return 0;
    }
    return pid;
}

// Waits up to ten seconds for process `pid` to end, giving its status. A
// program that has not ended by then is killed, so that it fails its test
// rather than holding it up.
bool endsWithinTenSeconds(pid_t pid, int& status)
{
    for (int tries = 0; tries < 1000; ++tries) {
        if (waitpid(pid, &status, WNOHANG) != 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return false;
}

// Starts the program with a new pseudo-terminal as its standard input, once
// `typed` has been typed there, and returns what is left for the next
// reader once it has ended.
std::string leftAtATerminal(const std::string& typed)
{
    int terminal = -1;
    int user = -1;
    if (!openTerminal(terminal, user, false)) {
        return {};
    }
    if (write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
        ADD_FAILURE() << "could not type " << typed;
    }
    posix_spawn_file_actions_t streams{};
    posix_spawn_file_actions_init(&streams);
    posix_spawn_file_actions_adddup2(&streams, user, 0);
    posix_spawn_file_actions_addopen(&streams, 1, "/dev/null", O_WRONLY, 0);
    const pid_t pid = startProgram(streams);
    int status = 0;
    if (pid != 0 && !endsWithinTenSeconds(pid, status)) {
        ADD_FAILURE() << "the program did not end";
    }
    std::string left(64, '\0');
    fcntl(user, F_SETFL, O_NONBLOCK);
    const ssize_t length = read(user, left.data(), left.size());
    left.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    close(terminal);
    close(user);
    return left;
}
#endif

// At a terminal, the program reads the rest of the line typed, and no more.
TEST(Dialogue, LeavesTheNextLineAtATerminal)
{
#if !defined(__linux__)
    GTEST_SKIP() << "needs a Linux pseudo-terminal";
#else
    EXPECT_EQ(leftAtATerminal("50000 and more\nnext line\n"), "next line\n");
#endif
}

#if defined(__linux__) && !defined(TAX2008_TESTS_WASI_PROGRAM)
// Whether process `pid` sleeps, as it does waiting in a read.
bool isAsleep(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    stat.ignore(1024, ')'); // past the pid and the command's name
    stat >> field;
    return field == "S";
}

// Starts the program on a new pseudo-terminal, types `typed` (no line end)
// once it has asked, and hangs the terminal up while the program waits for
// more of the number. Returns what the program wrote on standard error.
std::string hangUpAfterTyping(const std::string& typed)
{
    int terminal = -1;
    int user = -1;
    if (!openTerminal(terminal, user, true)) {
        return {};
    }

    posix_spawn_file_actions_t streams{};
    posix_spawn_file_actions_init(&streams);
    posix_spawn_file_actions_adddup2(&streams, user, 0);
    posix_spawn_file_actions_adddup2(&streams, user, 1);
    posix_spawn_file_actions_addopen(&streams, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const pid_t pid = startProgram(streams);
    if (pid == 0) {
        return {};
    }

    // Reads the terminal until `text` has been shown on it (the prompt, then
    // the echo of what was typed), or nothing more comes for ten seconds.
    std::string shown;
    const auto waitFor = [&](const std::string& text) {
        pollfd readable{terminal, POLLIN, 0};
        char c = 0;
        while (shown.find(text) == std::string::npos && poll(&readable, 1, 10'000) == 1 && read(terminal, &c, 1) == 1) {
            shown += c;
        }
    };
    waitFor(prompt);
    if (write(terminal, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
        ADD_FAILURE() << "could not type " << typed;
    }
    waitFor(typed);
    // The number is read once nothing is left to read and the program sleeps
    // again, in its next read.
    int unread = 1;
    for (int tries = 0; tries < 1000 && (unread != 0 || !isAsleep(pid)); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ioctl(user, FIONREAD, &unread);
    }
    close(terminal);
    close(user);
    int status = 0;
    if (!endsWithinTenSeconds(pid, status)) {
        ADD_FAILURE() << "the program did not end when its terminal was hung up";
        return readFile(errorFile);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
    return readFile(errorFile);
}
#endif

// A terminal hung up while the program waits for more of a number: the read
// fails with the terminal's error, whatever the conversion of the number read
// so far (out of range, for two of them) did to errno.
TEST(Dialogue, NamesTheCauseOfAReadErrorAfterANumber)
{
#if !defined(__linux__)
    GTEST_SKIP() << "needs a Linux pseudo-terminal, to hang up while the program reads";
#elif defined(TAX2008_TESTS_WASI_PROGRAM)
    GTEST_SKIP() << "Node aborts on a hung-up terminal, in its own clean-up after the program ends";
#else
    for (const char* typed : {"50000", "1e-400", "1e400"}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(hangUpAfterTyping(typed), readError + "Input/output error\n");
    }
#endif
}

// Every line the program prints on standard error, as the tests above
// expect it.
std::vector<std::string> errorLines()
{
    return {outOfRange,
            readError + "Is a directory",
            readError + "Bad file descriptor",
            readError + outOfMemory,
            readError + "Input/output error",
            writeError + "No space left on device",
            writeError + "Bad file descriptor",
            writeError + "Broken pipe"};
}

// The manual quotes the program's error lines word for word: each line it
// quotes, in its text as the packages carry it (which CI checks against
// mandoc's own rendering), is one the program prints, and it quotes a line
// of each kind. A word lost in the manual's markup then fails here.
TEST(Manual, QuotesTheErrorLinesWordForWord)
{
    std::ifstream manual(TAX2008_MANUAL_TEXT);
    ASSERT_TRUE(manual) << TAX2008_MANUAL_TEXT;
    std::string text;
    for (std::string word; manual >> word;) {
        text += word + " ";
    }
    std::vector<std::string> quoted;
    for (std::size_t start = text.find("\"tax2008: "); start != std::string::npos;
         start = text.find("\"tax2008: ", start + 1)) {
        quoted.push_back(text.substr(start + 1, text.find('"', start + 1) - start - 1));
    }
    const std::vector<std::string> printed = errorLines();
    for (const std::string& line : quoted) {
        EXPECT_TRUE(std::find(printed.begin(), printed.end(), line) != printed.end())
            << "the manual quotes \"" << line << "\", which the program never prints";
    }
    for (const std::string& kind : {outOfRange, readError, writeError}) {
        EXPECT_TRUE(std::any_of(quoted.begin(), quoted.end(),
                                [&kind](const std::string& line) { return line.rfind(kind, 0) == 0; }))
            << "the manual quotes no line \"" << kind << "...\"";
    }
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::cerr << "usage: dialogue_test [emulator ...] tax2008\n";
        return 2;
    }
    programArguments.assign(argv + 1, argv + argc);
    for (const std::string& argument : programArguments) {
        program += (program.empty() ? "" : " ") + shellWord(argument);
    }

    testing::AddGlobalTestEnvironment(new ScratchFolder); // NOLINT(cppcoreguidelines-owning-memory): GoogleTest owns it
    return RUN_ALL_TESTS();
}
