// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "load/load_document.h"
#include "model/doctype_info.h"
#include "model/document_pane.h"
#include "model/pane_side.h"

namespace quillon {

class XmlParser;

// The status texts of a load.
inline constexpr std::u16string_view kStatusLoading = u"Loading...";
inline constexpr std::u16string_view kStatusLoaded = u"Loaded successfully";
inline constexpr std::u16string_view kStatusLoadedWithErrors = u"Loaded with error(s)";
inline constexpr std::u16string_view kStatusFatal = u"Fatal error(s)";
inline constexpr std::u16string_view kStatusCanceled = u"Canceled";

// The most entries a path box keeps.
constexpr std::size_t kPathHistoryCapacity = 12;

// What a load asks of the window around it. Every operation does nothing by
// default, which is what tests without a window need.
class LoadHost {
public:
    virtual ~LoadHost() = default;
    // The open-file dialog titled "Open XML File"; folder is the pane's folder
    // option (LeftDir or RightDir), or null. Empty when cancelled.
    virtual std::u16string ChooseXmlFile(PaneSide, std::u16string_view /*title*/, std::u16string* /*folder*/) {
        return {};
    }
    // The pane is about to be emptied and refilled by the parser, and is done.
    virtual void PaneLoadStarts(PaneSide) {}
    virtual void PaneLoadEnds(PaneSide) {}
    // Grey the element commands and reset the navigation.
    virtual void LoadBeginsReading(PaneSide) {}
    // Status bar part 1.
    virtual void SetStatusText(std::u16string_view) {}
    // The progress bar: shown at 0, moved to a percentage 0..100, hidden.
    virtual void ShowProgress() {}
    virtual void MoveProgress(int /*percent*/) {}
    virtual void HideProgress() {}
    // Asked now and then while the parser runs, so the window can repaint;
    // false cancels the load.
    virtual bool KeepResponsive() { return true; }
    // A document was loaded from path: the recent-files list takes it.
    virtual void AddRecentFile(std::u16string_view) {}
    // The pane's path history changed (the path box shows it again).
    virtual void PathHistoryChanged(PaneSide) {}
    virtual void FocusPane(PaneSide) {}
    // The "AutoLoad" check box.
    virtual bool AutoLoadChecked() { return false; }
    // Used by the command line.
    virtual void ReadSettingsFile(std::u16string_view /*path*/) {}
    virtual void UpdateCompareCommands() {}
    virtual bool CompareFiles() { return false; }
    virtual void RefreshPanes() {}
};

// One tree pane with what loading keeps beside it.
struct PaneDocument {
    DocumentPane pane;
    DoctypeInfo doctype;
    // LeftLoaded / RightLoaded: the pane holds a loaded document.
    bool loaded = false;
    // The path box's list, newest first.
    std::vector<std::u16string> history;
};

// Puts the path at the top of a path box's list: a local path in its
// absolute form, an address as given. An entry for the same path (letter
// case aside) moves up; a full list loses its oldest entry.
void AddToPathHistory(std::vector<std::u16string>& history, std::u16string_view path, bool isLocal);

// An http:// or ftp:// address, which the parser fetches itself.
bool IsAddress(std::u16string_view path);

// The progress of one parse: characters accounted against the file size.
class LoadProgress {
public:
    // Shows 0 and resets. expected 0 (an empty file) counts as 1.
    void Start(std::uint64_t expected);
    // The whole percentage for `chars` characters when it grew since the last
    // one shown (at most 100), else nullopt.
    std::optional<int> Advance(std::uint64_t chars);

private:
    std::uint64_t m_expected = 100;
    int m_lastPercent = 0;
};

// Every way of bringing a document into a pane ends here: the file dialog,
// the path boxes, a dropped file, the recent files, the command line,
// reloading and the partner file from the other pane's folder.
class LoadPipeline {
public:
    LoadPipeline(XmlParser& parser, LoadHost& host) : m_parser(parser), m_host(host) {}
    LoadPipeline(const LoadPipeline&) = delete;
    LoadPipeline& operator=(const LoadPipeline&) = delete;

    // Loads path (none: ask with the file dialog, starting in *folder) into
    // the pane. 1 when the document is in the pane; 0 when the parse ran but
    // the document was rejected or the parser aborted; otherwise (nothing was
    // attempted) notLoadedResult. The caller stores the result in the pane's
    // loaded flag. A load asked for while another runs is refused.
    int LoadDocument(PaneSide side, std::optional<std::u16string_view> path, int notLoadedResult,
                     std::u16string* folder, bool allowPartner);

    // The program's arguments (program path first): an optional settings file
    // as the fourth, the right file as the third, the left file as the second.
    void ProcessCommandLine(const std::vector<std::u16string>& tokens);

    PaneDocument& pane(PaneSide side) { return m_panes[int(side)]; }
    const PaneDocument& pane(PaneSide side) const { return m_panes[int(side)]; }
    bool bothLoaded() const { return m_panes[0].loaded && m_panes[1].loaded; }
    // The last load stopped before parsing (dialog cancelled, file not opened).
    bool loadRefused() const { return m_loadRefused; }
    bool loading() const { return m_loading; }
    // The outcome of the last parse, for tests and the console.
    const LoadResult& lastResult() const { return m_lastResult; }

private:
    bool checkFile(std::u16string_view path);
    int finishLoad(PaneSide side, std::u16string_view path, bool isLocal, bool allowPartner);
    void loadPartnerFile(PaneSide side, std::u16string_view path);

    XmlParser& m_parser;
    LoadHost& m_host;
    PaneDocument m_panes[2];
    LoadProgress m_progress;
    LoadResult m_lastResult;
    std::uint64_t m_expectedSize = 100;
    bool m_loadRefused = false;
    bool m_loading = false;
    bool m_partnerLoading = false;
};

}  // namespace quillon
