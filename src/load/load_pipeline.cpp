// SPDX-License-Identifier: MIT
#include "load/load_pipeline.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "compare/compare_commands.h"
#include "load/xml_parser.h"
#include "model/wide_string.h"
#include "platform/notifier.h"
#include "platform/utf8.h"
#include "settings/options.h"

namespace quillon {
namespace {

constexpr std::u16string_view kValidationTopic = u"validat";

std::u16string absolutePath(std::u16string_view path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(FileNameBytes(path)), ec);
    if (ec) return std::u16string(path);
    return FileNameFromBytes(p.lexically_normal().string());
}

std::u16string fileNamePart(std::u16string_view path) {
    return FileNameFromBytes(std::filesystem::path(FileNameBytes(absolutePath(path))).filename().string());
}

void showNotFound(std::u16string_view path) {
    notifier().show(u"Error", u"File '" + std::u16string(path) + u"' not found !", MessageIcon::Error,
                    MessageButtons::Ok);
}

// The parser's exception, as the parse-error reporting words it.
void showExceptionBox(std::u16string_view path, std::u16string_view message) {
    notifier().show(u"Error during parsing: " + std::u16string(path),
                    u"Exception message is:\n" + std::u16string(message), MessageIcon::Error, MessageButtons::Ok);
}

// Clears a flag when the scope ends, however it ends.
struct ScopedFlag {
    explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;
    bool& m_flag;
};

}  // namespace

bool IsAddress(std::u16string_view path) {
    return WideStartsWith(path, u"http://") || WideStartsWith(path, u"ftp://");
}

void AddToPathHistory(std::vector<std::u16string>& history, std::u16string_view path, bool isLocal) {
    const std::u16string entry = isLocal ? absolutePath(path) : std::u16string(path);
    bool found = false;
    for (auto it = history.begin(); it != history.end(); ++it) {
        if (WideEqualIgnoringCase(*it, entry)) {
            history.erase(it);
            found = true;
            break;
        }
    }
    if (!found && history.size() >= kPathHistoryCapacity) history.resize(kPathHistoryCapacity - 1);
    history.insert(history.begin(), entry);
}

void LoadProgress::Start(std::uint64_t expected) {
    m_expected = expected ? expected : 1;
    m_lastPercent = 0;
}

std::optional<int> LoadProgress::Advance(std::uint64_t chars) {
    // The counts are characters, not bytes: the bar may reach 100 early.
    const std::uint64_t percent = chars >= m_expected ? 100 : chars * 100 / m_expected;
    if (int(percent) <= m_lastPercent) return std::nullopt;
    m_lastPercent = int(percent);
    return m_lastPercent;
}

bool LoadPipeline::checkFile(std::u16string_view path) {
    const std::string name = FileNameBytes(path);
    // Not blocking: a named pipe without a writer would hold the window.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0) ::close(fd);
        showNotFound(path);
        m_loadRefused = true;
        return false;
    }
    ::close(fd);
    if (S_ISDIR(st.st_mode)) {
        notifier().show(u"Error", u"'" + std::u16string(path) + u"' is a folder, not an XML file", MessageIcon::Error,
                        MessageButtons::Ok);
        m_loadRefused = true;
        return false;
    }
    m_expectedSize = std::uint64_t(st.st_size);
    return true;
}

int LoadPipeline::LoadDocument(PaneSide side, std::optional<std::u16string_view> path, int notLoadedResult,
                               std::u16string* folder, bool allowPartner) {
    // The parser is not re-entrant: a second load while one runs waits for nothing.
    if (m_loading) return notLoadedResult;
    m_loadRefused = false;
    std::u16string chosen;
    if (!path) {
        chosen = m_host.ChooseXmlFile(side, u"Open XML File", folder);
        if (chosen.empty()) {
            m_loadRefused = true;
            return notLoadedResult;
        }
    } else {
        chosen = std::u16string(*path);
        if (chosen.empty()) return notLoadedResult;
    }
    const bool isLocal = !IsAddress(chosen);
    if (isLocal) {
        struct stat st {};
        if (::stat(FileNameBytes(chosen).c_str(), &st) != 0) {
            // A partner file that is not there is simply not loaded; a path
            // the user gave gets an answer.
            if (!m_partnerLoading) {
                showNotFound(chosen);
                m_loadRefused = true;
            }
            return notLoadedResult;
        }
        if (!checkFile(chosen)) return notLoadedResult;
    }

    PaneDocument& doc = pane(side);
    compareCommandState().Compared = false;
    doc.loaded = false;
    m_host.LoadBeginsReading(side);
    m_host.PaneLoadStarts(side);
    m_progress.Start(m_expectedSize);
    m_host.ShowProgress();
    m_host.SetStatusText(kStatusLoading);
    {
        ScopedFlag busy(m_loading);
        m_lastResult = quillon::LoadDocument(m_parser, doc.pane, doc.doctype, chosen, [this](std::uint64_t chars) {
            if (const std::optional<int> percent = m_progress.Advance(chars)) m_host.MoveProgress(*percent);
            return m_host.KeepResponsive();
        });
    }
    m_host.PaneLoadEnds(side);
    m_host.HideProgress();
    if (m_lastResult.exception) {
        m_host.SetStatusText(u"");
        showExceptionBox(chosen, m_lastResult.exceptionMessage);
        return 0;
    }
    return finishLoad(side, chosen, isLocal, allowPartner);
}

int LoadPipeline::finishLoad(PaneSide side, std::u16string_view path, bool isLocal, bool allowPartner) {
    const LoadResult& r = m_lastResult;
    if (!r.ok) {
        if (r.cancelled && !r.fatalSeen) {
            m_host.SetStatusText(kStatusCanceled);
            return 0;
        }
        m_host.SetStatusText(kStatusFatal);
        // The fixed text says that it failed; the details say where and why.
        notifier().showWithHelp(u"Fatal Error",
                                u"There were some fatal error(s) during loading!\n\nFile is not loaded\n\n"
                                u"Please correct the error(s) and then try again",
                                MessageIcon::Error, MessageButtons::Ok, kValidationTopic, r.message);
        return 0;
    }
    // A relative path would name another file once the program runs elsewhere.
    m_host.AddRecentFile(isLocal ? absolutePath(path) : std::u16string(path));
    AddToPathHistory(pane(side).history, path, isLocal);
    m_host.PathHistoryChanged(side);
    if (r.errorSeen) {
        notifier().showWithHelp(u"XML Schema Error", u"There were some error(s) during loading!\n\nFile is loaded",
                                MessageIcon::Warning, MessageButtons::Ok, kValidationTopic, u"");
        m_host.SetStatusText(kStatusLoadedWithErrors);
    } else {
        m_host.SetStatusText(kStatusLoaded);
    }
    if (!r.notice.empty()) m_host.SetStatusText(std::u16string(r.errorSeen ? kStatusLoadedWithErrors : kStatusLoaded) +
                                                u" \u2014 " + r.notice);
    pane(side).loaded = true;
    m_host.FocusPane(side);
    if (allowPartner && options().LoadSeparate) loadPartnerFile(side, path);
    return 1;
}

void LoadPipeline::loadPartnerFile(PaneSide side, std::u16string_view path) {
    const Options& o = options();
    if (!m_host.AutoLoadChecked() || o.LeftDir.empty() || o.RightDir.empty() || o.LeftDir == o.RightDir) return;
    const PaneSide other = OtherSide(side);
    std::u16string* otherFolder = other == PaneSide::Left ? &options().LeftDir : &options().RightDir;
    const std::u16string partner = *otherFolder + fileNamePart(path);
    PaneDocument& doc = pane(other);
    ScopedFlag partnerLoad(m_partnerLoading);
    const int loaded = LoadDocument(other, std::u16string_view(partner), doc.loaded ? 1 : 0, otherFolder, false);
    doc.loaded = loaded != 0;
}

void LoadPipeline::ProcessCommandLine(const std::vector<std::u16string>& arguments) {
    // Only the first four tokens mean anything; the rest are not looked at.
    if (arguments.size() > 4) std::fprintf(stderr, "quillon: arguments after the third are ignored\n");
    const std::size_t n = std::min<std::size_t>(arguments.size(), 4);
    if (n == 4) m_host.ReadSettingsFile(arguments[3]);
    if (n >= 2) {
        pane(PaneSide::Left).loaded =
            LoadDocument(PaneSide::Left, std::u16string_view(arguments[1]), 0, nullptr, n >= 3) != 0;
    }
    if (n >= 3) {
        pane(PaneSide::Right).loaded =
            LoadDocument(PaneSide::Right, std::u16string_view(arguments[2]), 0, nullptr, false) != 0;
    }
    if (bothLoaded()) {
        m_host.UpdateCompareCommands();
        compareCommandState().Compared = m_host.CompareFiles();
    } else {
        m_host.RefreshPanes();
    }
}

}  // namespace quillon
