// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/control_folder.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sim/hex_log.h"

namespace vorna::sim {

namespace {

// A command file is a handful of lines; anything larger is not one.
constexpr std::size_t kMaxCommandBytes = 64 * 1024;

bool number(const std::string &text, long low, long high, long &out)
{
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && ptr == end && out >= low && out <= high;
}

bool hexBytesOf(const std::string &text, std::size_t maxBytes, std::vector<std::uint8_t> &out)
{
    if (text.size() % 2 != 0 || text.size() / 2 > maxBytes)
        return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        const auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (ec != std::errc() || ptr != text.data() + i + 2)
            return false;
        out.push_back(std::uint8_t(value));
    }
    return true;
}

enum class CommandFile { Missing, Read, Unreadable };

// A symlink, a FIFO or a file too large is no command file.
CommandFile readCommandFile(const std::string &path, std::string &text)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? CommandFile::Missing : CommandFile::Unreadable;
    struct stat info {};
    CommandFile result = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? CommandFile::Read : CommandFile::Unreadable;
    std::array<char, 4096> chunk{};
    while (result == CommandFile::Read) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n == 0)
            break;
        if (n < 0 || text.size() + std::size_t(n) > kMaxCommandBytes)
            result = CommandFile::Unreadable;
        else
            text.append(chunk.data(), std::size_t(n));
    }
    ::close(fd);
    return result;
}

bool writeWhole(int fd, const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

} // namespace

ControlFolder::ControlFolder(std::string folder, Starter start) : folder_(std::move(folder)), start_(std::move(start)) {}

ControlFolder::~ControlFolder()
{
    sim_.reset();
    if (framesFd_ >= 0)
        ::close(framesFd_);
}

bool ControlFolder::start()
{
    framesFd_ = ::open((folder_ + "/frames").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
    return framesFd_ >= 0 && restart();
}

bool ControlFolder::restart()
{
    // The old terminal goes first: the new one takes over its link.
    sim_.reset();
    written_ = 0;
    if (::ftruncate(framesFd_, 0) != 0)
        return false;
    sim_ = start_();
    return sim_ != nullptr;
}

void ControlFolder::appendFrames()
{
    if (!sim_ || sim_->waitForFrames(int(written_) + 1, 0) <= int(written_))
        return;
    const auto frames = sim_->frames();
    std::string lines;
    for (std::size_t i = written_; i < frames.size(); ++i)
        lines += hexBytes(frames[i].bytes) + "\n";
    written_ = frames.size();
    // One write per pass, so a reader sees whole lines or none of a pass.
    writeWhole(framesFd_, lines);
}

void ControlFolder::poll()
{
    appendFrames();
    const std::string commandPath = folder_ + "/command";
    std::string text;
    const CommandFile got = readCommandFile(commandPath, text);
    if (got == CommandFile::Missing)
        return;
    ::unlink(commandPath.c_str());
    const std::string reply = got == CommandFile::Read ? run(text) : "error: the command file cannot be read\n";
    const std::string temporary = folder_ + "/reply.tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const bool written = writeWhole(fd, reply);
    ::close(fd);
    if (written)
        ::rename(temporary.c_str(), (folder_ + "/reply").c_str());
}

std::string ControlFolder::run(const std::string &commands)
{
    std::istringstream in(commands);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        if (const std::string problem = runLine(line); !problem.empty())
            return "error: line " + std::to_string(lineNumber) + ": " + problem + "\n";
    }
    return "ok\n";
}

std::string ControlFolder::runLine(const std::string &line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    const std::string &verb = words[0];
    long a = 0, b = 0, c = 0;
    std::vector<std::uint8_t> bytes;
    if (verb == "reset" && words.size() == 1)
        return restart() ? "" : "the simulator cannot be started again";
    if (!sim_)
        return "no simulator runs";
    // poll() appends the frames before it reads a command: they are all in the file.
    if (verb == "sync" && words.size() == 1)
        return "";
    if (verb == "release" && words.size() == 1) {
        sim_->releaseHeld();
        return "";
    }
    if (verb == "block" && words.size() == 3) {
        if (!number(words[1], 0, 511, a) || !hexBytesOf(words[2], 512, bytes))
            return "block ADDRESS HEX: address 0 to 511, bytes as hex digits";
        sim_->setBlock(std::uint32_t(a), bytes);
        return "";
    }
    if (verb == "card" && words.size() == 3) {
        if (!hexBytesOf(words[1], 7, bytes) || !number(words[2], 0, INT_MAX, a))
            return "card HEX MS: up to 7 bytes as hex digits, a delay in ms";
        sim_->presentCard(bytes, int(a));
        return "";
    }
    if (verb == "fault" && words.size() == 5) {
        for (const auto &[name, kind] : kFaultNames) {
            if (words[1] != name)
                continue;
            if (!number(words[2], 0, INT_MAX, a) || !number(words[3], -1, INT_MAX, b) ||
                !number(words[4], 0, INT_MAX, c))
                return "fault KIND FIRST COUNT VALUE: numbers, COUNT -1 for every frame on";
            sim_->addFault(Fault{kind, int(a), int(b), int(c)});
            return "";
        }
        return "unknown fault '" + words[1] + "'";
    }
    return "unknown command '" + line + "'";
}

} // namespace vorna::sim
