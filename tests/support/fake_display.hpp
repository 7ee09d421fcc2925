#pragma once
// A window with no widgets: it remembers what the logic showed, so tests can
// read captions, visibility, geometry and warnings without a toolkit.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/display.hpp"

namespace qm5::test {

class FakeDisplay : public Display {
public:
    FakeDisplay();

    void setCaption(std::string_view control, const std::string& text) override;
    std::string caption(std::string_view control) const override;
    void setVisible(std::string_view control, bool visible) override;
    bool isVisible(std::string_view control) const override;
    std::string text(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    void checkOption(std::string_view control) override;
    int windowWidth() const override { return width; }
    int windowHeight() const override { return height; }
    void setWindowHeight(int twips) override { height = twips; }
    void setWindowLeft(double twips) override { left = twips; }
    void setWindowTop(double twips) override { top = twips; }
    int screenWidth() const override { return screenW; }
    int screenHeight() const override { return screenH; }
    void showWarning(const std::string& text) override { warnings.push_back(text); }
    void endProgram() override { ended = true; }

    // The outer size of the whole layout before start-up cuts it down.
    int width = 9615;
    int height = 9100;
    double left = 0;
    double top = 0;
    int screenW = 1920 * 15;
    int screenH = 1080 * 15;

    std::vector<std::string> warnings;
    std::vector<std::string> checkedOptions;
    bool ended = false;

private:
    std::map<std::string, std::string, std::less<>> captions_;
    std::map<std::string, std::string, std::less<>> texts_;
    std::set<std::string, std::less<>> hidden_;
};

} // namespace qm5::test
