#pragma once
// A results view made of plain data: it keeps the latest caption and colour of every label, the
// notice, the log, and a trace of every call in order, so tests can check texts and their order.
#include "calc/results_view.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace dp::test {

inline const char* SourceLabelName(TSourceLabel label) {
    switch (label) {
    case TSourceLabel::LabRP_U:
        return "LabRP_U";
    case TSourceLabel::LabURP_Calc:
        return "LabURP_Calc";
    case TSourceLabel::LabRP_I:
        return "LabRP_I";
    case TSourceLabel::LabRP_P:
        return "LabRP_P";
    }
    return "?";
}

inline const char* RegLabelName(TRegLabel label) {
    switch (label) {
    case TRegLabel::LabR:
        return "LabR";
    case TRegLabel::LabR_L:
        return "LabR_L";
    case TRegLabel::LabR_UI:
        return "LabR_UI";
    case TRegLabel::LabRL_I:
        return "LabRL_I";
    case TRegLabel::LabRL_U:
        return "LabRL_U";
    case TRegLabel::LabRL_P:
        return "LabRL_P";
    }
    return "?";
}

class RecordingView : public IResultsView {
public:
    bool is75W = false; // source rating: 150 W unless a test selects 75 W
    std::map<TSourceLabel, std::string> sourceCaptions;
    std::map<TSourceLabel, uint32_t> sourceColors;
    std::map<std::pair<int, TRegLabel>, std::string> regCaptions;
    std::string impossCaption;
    bool impossVisible = false;
    std::vector<std::string> log;
    // Every call that changes the view, in order, e.g. "caption LabRP_U=Uдп = 370", "color LabRP_I=ff0000",
    // "reg 1 LabR=256", "imposs visible=1", "imposs caption=...", "clear log", "log ...".
    std::vector<std::string> trace;

    std::string Source(TSourceLabel label) const {
        const auto it = sourceCaptions.find(label);
        return it == sourceCaptions.end() ? std::string() : it->second;
    }
    uint32_t Color(TSourceLabel label) const {
        const auto it = sourceColors.find(label);
        return it == sourceColors.end() ? kColorBlack : it->second;
    }
    std::string Reg(int index, TRegLabel label) const {
        const auto it = regCaptions.find({index, label});
        return it == regCaptions.end() ? std::string() : it->second;
    }

    bool Is75WChecked() const override { return is75W; }
    void SetSourceCaption(TSourceLabel label, const std::string& text) override {
        sourceCaptions[label] = text;
        trace.push_back(std::string("caption ") + SourceLabelName(label) + "=" + text);
    }
    void SetSourceColor(TSourceLabel label, uint32_t rgb) override {
        sourceColors[label] = rgb;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(rgb));
        trace.push_back(std::string("color ") + SourceLabelName(label) + "=" + hex);
    }
    void SetRegCaption(int index, TRegLabel label, const std::string& text) override {
        regCaptions[{index, label}] = text;
        trace.push_back("reg " + std::to_string(index) + " " + RegLabelName(label) + "=" + text);
    }
    void SetImpossCaption(const std::string& text) override {
        impossCaption = text;
        trace.push_back("imposs caption=" + text);
    }
    void SetImpossVisible(bool visible) override {
        impossVisible = visible;
        trace.push_back(std::string("imposs visible=") + (visible ? "1" : "0"));
    }
    bool IsImpossVisible() const override { return impossVisible; }
    void ClearLog() override {
        log.clear();
        trace.push_back("clear log");
    }
    void AppendLog(const std::string& line) override {
        log.push_back(line);
        trace.push_back("log " + line);
    }
};

} // namespace dp::test
