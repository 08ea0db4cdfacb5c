// SPDX-FileCopyrightText: 2026 The tax2008 authors
// SPDX-License-Identifier: MIT

// Runs the built tax2008 through the platform's shell, as a user would: input
// on standard input, then the exact bytes of standard output, standard error
// and the exit status. The command line that starts the program (its path, and
// an emulator before it where there is one) comes as this test's arguments.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
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
const std::string fullDisk = "> Z:\\dev\\full";
#else
const std::string lineEnd = "\n";
const std::string fullDisk = "> /dev/full";
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

// The scratch files, in a folder of the test's own that main() makes and
// removes, so that a run by hand leaves nothing in the current folder.
std::string inputFile, outputFile, errorFile;
std::string fromInputFile, toOutputFile;

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

struct Dialogue {
    const char* input;
    const char* amount;
};

constexpr Dialogue dialogues[] = {
    {"50000\n", "8843.75"},
    {"0\n", "0.00"},
    {"-500\n", "0.00"},
    {"8025\n", "802.50"},
    {"32550\n", "4481.25"},
    {"357700\n", "103791.75"},
    {"1000000\n", "328596.75"},
    {"12345.67\n", "1450.60"},
    // Taxes just below half a cent, which a fused or widened build rounds up.
    {"11439.70\n", "1314.70"},
    {"174035.50\n", "43182.46"},
    // The standard reading of a number: exponents, a comma ends it, white space
    // before it is skipped, and no number at the front leaves the income at 0.
    {"5e4\n", "8843.75"},
    {"50,000\n", "5.00"},
    {"\n\n  50000\n", "8843.75"},
    {"50000", "8843.75"},
    {"abc\n", "0.00"},
    {"$50000\n", "0.00"},
    {"\n\n", "0.00"},
    {"", "0.00"},
    // An "e" after the digits starts an exponent, which then has no digits.
    {"50000e\n", "0.00"},
    {"50000EUR\n", "0.00"},
    // Too small for a double: 0, or the nearest tiny amount.
    {"1e-400\n", "0.00"},
};

const std::string prompt = "Please enter your 2008 taxable income: ";

// All that the program writes to standard output for a tax printed as `amount`.
std::string dialogueWithTax(const std::string& amount)
{
    return prompt + lineEnd + "Your 2008 tax is: $" + amount + lineEnd;
}

TEST(Dialogue, PrintsTheTaxInDollarsAndCents)
{
    for (const Dialogue& d : dialogues) {
        SCOPED_TRACE(testing::Message() << "input \"" << d.input << '"');
        const Outcome outcome = runProgram(d.input);
        EXPECT_EQ(outcome.out, dialogueWithTax(d.amount));
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(outcome.status, 0);
    }
}

const std::string writeError = "tax2008: could not write the result to standard output";

// Runs the program with standard output redirected so, and expects the
// write error.
void expectWriteError(const std::string& stdoutRedirection)
{
    const Outcome outcome = runProgram("50000\n", fromInputFile, stdoutRedirection);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, writeError + lineEnd);
}

TEST(Dialogue, FailsWhenTheResultCannotBeWritten)
{
    expectWriteError(fullDisk);
}

TEST(Dialogue, FailsWhenStandardOutputIsClosed)
{
#if defined(_WIN32)
    GTEST_SKIP() << "cmd cannot close a program's standard output";
#elif defined(TAX2008_TESTS_WASI_PROGRAM)
    GTEST_SKIP() << "Node opens /dev/null in place of a closed standard output, which takes the result";
#endif
    expectWriteError(">&-");
}

// The program's C++ library, and how the runtime that starts it differs. The
// WebAssembly program has libc++, and runs under Node, whose WASI gives a
// directory no right to be read, and which ignores SIGPIPE.
#if defined(_LIBCPP_VERSION) || defined(TAX2008_TESTS_WASI_PROGRAM)
constexpr bool libcxx = true;
#else
constexpr bool libcxx = false;
#endif
#ifdef TAX2008_TESTS_WASI_PROGRAM
const std::string directoryError = "Bad file descriptor";
constexpr bool endsBySigpipe = false;
#else
const std::string directoryError = "Is a directory";
constexpr bool endsBySigpipe = true;
#endif

// Runs the program with `input` on standard input, or with the redirection
// given, and expects the run to end after the prompt, with `error` on
// standard error and status 1.
void expectRefusal(const std::string& input, const std::string& stdinRedirection, const std::string& error)
{
    SCOPED_TRACE(testing::Message() << "input \"" << input.substr(0, 20) << "\" " << stdinRedirection);
    const Outcome outcome = runProgram(input, stdinRedirection);
    EXPECT_EQ(outcome.out, prompt);
    EXPECT_EQ(outcome.err, error + lineEnd);
    EXPECT_EQ(outcome.status, 1);
}

const std::string outOfRange = "tax2008: the taxable income is out of range";

TEST(Dialogue, FailsOnANumberBeyondTheRangeOfADouble)
{
    const std::string inputs[] = {"1e400\n", "-1e400\n", std::string(400, '9') + "\n"};
    for (const std::string& input : inputs) {
        expectRefusal(input, fromInputFile, outOfRange);
    }
}

// Inputs that the C++ libraries read differently: libstdc++ takes in only the
// characters of a decimal number, libc++ also hexadecimal numbers, "inf" and
// "nan", and letters that could be hexadecimal digits (then finding no number
// in "50000abc"). An infinite income is out of range like a too large one.
struct LibraryReading {
    const char* input;
    const char* libstdcxxAmount; // the amount printed, or nullptr for the range error
    const char* libcxxAmount;
};

constexpr LibraryReading libraryReadings[] = {
    {"inf\n", "0.00", nullptr},           {"INF\n", "0.00", nullptr},
    {"-inf\n", "0.00", nullptr},          {"nan\n", "0.00", "0.00"},
    {"0x10\n", "0.00", "1.60"},           {"50000abc\n", "8843.75", "0.00"},
    {"12345.67abc\n", "1450.60", "0.00"}, {"1e5x\n", "21978.25", "0.00"},
};

TEST(Dialogue, ReadsAsItsCppLibraryDoes)
{
    for (const LibraryReading& r : libraryReadings) {
        SCOPED_TRACE(testing::Message() << "input \"" << r.input << '"');
        const char* amount = libcxx ? r.libcxxAmount : r.libstdcxxAmount;
        const Outcome outcome = runProgram(r.input);
        EXPECT_EQ(outcome.out, amount != nullptr ? dialogueWithTax(amount) : prompt);
        EXPECT_EQ(outcome.err, amount != nullptr ? "" : outOfRange + lineEnd);
        EXPECT_EQ(outcome.status, amount != nullptr ? 0 : 1);
    }
}

TEST(Dialogue, FailsWhenTheInputIsADirectory)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd cannot redirect a program's standard input from a directory";
#endif
    expectRefusal("", "< .", "tax2008: could not read the taxable income: " + directoryError);
}

TEST(Dialogue, FailsWhenTheInputIsClosed)
{
#if defined(_WIN32)
    GTEST_SKIP() << "cmd cannot close a program's standard input";
#elif defined(TAX2008_TESTS_WASI_PROGRAM)
    GTEST_SKIP() << "Node opens /dev/null in place of a closed standard input, which the program reads as empty";
#endif
    expectRefusal("", "<&-", "tax2008: could not read the taxable income: Bad file descriptor");
}

#if defined(__SANITIZE_ADDRESS__)
#define TAX2008_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAX2008_SANITIZED 1
#endif
#endif

// A number too long for the memory the program may have: the C++ library
// fails to collect its digits, and libstdc++ took that for no number, $0.00.
TEST(Dialogue, FailsOnANumberTooLongForItsMemory)
{
#if defined(_WIN32)
    GTEST_SKIP() << "cmd cannot limit a program's memory";
#elif defined(TAX2008_SANITIZED)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#else
    if (programArguments.size() > 1) {
        GTEST_SKIP() << "an emulator needs more address space than the limit leaves";
    }
    // Sixty million nines, under a limit of a hundred megabytes: the digits
    // fit, but not twice over, as a growing string needs them.
    const Outcome outcome = runFedBy("ulimit -v 100000; head -c 60000000 /dev/zero | tr '\\0' 9");
    EXPECT_EQ(outcome.out, prompt);
    EXPECT_EQ(outcome.err, "tax2008: could not read the taxable income: Cannot allocate memory\n");
    EXPECT_EQ(outcome.status, 1);
#endif
}

// A number that comes late down a pipe: the program waits for it, as at a
// console (a runtime that made the pipe non-blocking would fail the read).
TEST(Dialogue, WaitsForASlowPipe)
{
#ifdef _WIN32
    GTEST_SKIP() << "cmd has no sleep to hold a pipe back";
#else
    const Outcome outcome = runFedBy("{ sleep 1; echo 50000; }");
    EXPECT_EQ(outcome.out, dialogueWithTax("8843.75"));
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.status, 0);
#endif
}

// Standard output a pipe whose reader is gone: the program ends by SIGPIPE as
// other tools do, or where SIGPIPE is ignored (by the shell here, or by the
// runtime), fails with the write error.
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
    EXPECT_EQ(ended.status, endsBySigpipe ? 128 + SIGPIPE : 1);
    EXPECT_EQ(ended.err, endsBySigpipe ? "" : writeError + lineEnd);

    const Outcome ignored = runCommand("trap '' PIPE; " + program + " " + fromInputFile + " " + toClosedPipe);
    EXPECT_EQ(ignored.status, 1);
    EXPECT_EQ(ignored.err, writeError + lineEnd);
    close(ends[1]);
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
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return {};
    }
    const int user = open(ptsname(terminal), O_RDWR | O_NOCTTY | O_CLOEXEC);
    // Raw, so that what is typed reaches the program without a line end, but
    // echoed, so that this side sees when it has arrived.
    termios mode{};
    tcgetattr(user, &mode);
    cfmakeraw(&mode);
    mode.c_lflag |= ECHO;
    tcsetattr(user, TCSANOW, &mode);

    std::vector<char*> argv;
    argv.reserve(programArguments.size() + 1);
    for (std::string& argument : programArguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t streams{};
    posix_spawn_file_actions_init(&streams);
    posix_spawn_file_actions_adddup2(&streams, user, 0);
    posix_spawn_file_actions_adddup2(&streams, user, 1);
    posix_spawn_file_actions_addopen(&streams, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &streams, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&streams);
    if (spawned != 0) {
        ADD_FAILURE() << "could not start " << argv[0];
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
    // A program that does not end within ten seconds of the hang-up fails
    // the test, rather than holding it up.
    int status = 0;
    for (int tries = 0; tries < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
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
        EXPECT_EQ(hangUpAfterTyping(typed), "tax2008: could not read the taxable income: Input/output error\n");
    }
#endif
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

    namespace fs = std::filesystem;
    fs::path scratch;
    std::random_device random;
    do {
        scratch = fs::temp_directory_path() / ("tax2008-dialogue-" + std::to_string(random()));
    } while (!fs::create_directory(scratch));
    inputFile = (scratch / "in").string();
    outputFile = (scratch / "out").string();
    errorFile = (scratch / "err").string();
    fromInputFile = "< " + shellWord(inputFile);
    toOutputFile = "> " + shellWord(outputFile);

    const int failed = RUN_ALL_TESTS();
    fs::remove_all(scratch);
    return failed;
}
