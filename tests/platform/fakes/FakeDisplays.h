#pragma once
// A scripted set of displays. A created virtual display joins the online list (and, when
// asked, the screen list) under a fresh id while its object lives; mirroring changes are recorded.
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Displays.h"

namespace vantrel::test {

class FakeDisplays final : public Displays {
public:
    struct State {
        std::vector<DisplayInfo> online;
        std::vector<ScreenInfo> screens;
        bool listFails = false;
        std::uint32_t nextVirtualId = 100;
        std::vector<VirtualDisplayDescriptor> created;
        std::vector<std::vector<VirtualDisplayMode>> applied;
        int liveVirtualDisplays = 0;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> mirrorChanges;
        int completed = 0;
    };

    std::optional<std::vector<DisplayInfo>> onlineDisplays(int maxCount) const override
    {
        if (state_->listFails)
            return std::nullopt;
        auto list = state_->online;
        if (list.size() > static_cast<size_t>(maxCount))
            list.resize(static_cast<size_t>(maxCount));
        return list;
    }
    std::vector<ScreenInfo> screens() const override { return state_->screens; }
    PixelSize mainDisplayPixelSize() const override { return mainSize; }
    std::optional<VirtualDisplayMode> makeMode(std::uint32_t w, std::uint32_t h, double rate) const override
    {
        if (modeFails)
            return std::nullopt;
        return VirtualDisplayMode{w, h, rate};
    }
    std::unique_ptr<VirtualDisplay> createVirtualDisplay(const VirtualDisplayDescriptor& d) override
    {
        state_->created.push_back(d);
        if (createFails)
            return nullptr;
        const std::uint32_t id = state_->nextVirtualId++;
        state_->online.push_back(DisplayInfo{id, false, d.vendorId, d.productId, d.serialNum});
        if (virtualShowsAsScreen)
            state_->screens.push_back(ScreenInfo{id, d.name});
        ++state_->liveVirtualDisplays;
        return std::make_unique<Virtual>(state_, id, applySucceeds);
    }
    std::unique_ptr<DisplayConfiguration> beginConfiguration() override
    {
        if (!configurationBegins)
            return nullptr;
        return std::make_unique<Configuration>(state_, completionError);
    }
    std::vector<std::uint32_t> activeDisplayIds(int maxCount) const override
    {
        std::vector<std::uint32_t> ids;
        for (const auto& d : state_->online)
            if (static_cast<int>(ids.size()) < maxCount)
                ids.push_back(d.id);
        return ids;
    }

    State& state() { return *state_; }

    PixelSize mainSize{3024, 1964};
    bool createFails = false;
    bool modeFails = false;
    bool applySucceeds = true;
    bool virtualShowsAsScreen = true;
    bool configurationBegins = true;
    int completionError = 0;

private:
    class Virtual final : public VirtualDisplay {
    public:
        Virtual(std::shared_ptr<State> state, std::uint32_t id, bool applySucceeds)
            : state_(std::move(state))
            , id_(id)
            , applySucceeds_(applySucceeds)
        { }
        ~Virtual() override
        {
            auto& online = state_->online;
            online.erase(
                std::remove_if(online.begin(), online.end(), [this](const DisplayInfo& d) { return d.id == id_; }),
                online.end());
            auto& screens = state_->screens;
            screens.erase(std::remove_if(screens.begin(), screens.end(),
                                         [this](const ScreenInfo& s) { return s.displayId == id_; }),
                          screens.end());
            --state_->liveVirtualDisplays;
        }
        bool applySettings(const std::vector<VirtualDisplayMode>& modes) override
        {
            state_->applied.push_back(modes);
            return applySucceeds_;
        }

    private:
        std::shared_ptr<State> state_;
        std::uint32_t id_;
        bool applySucceeds_;
    };

    class Configuration final : public DisplayConfiguration {
    public:
        Configuration(std::shared_ptr<State> state, int error)
            : state_(std::move(state))
            , error_(error)
        { }
        void configureMirror(std::uint32_t id, std::uint32_t master) override
        {
            state_->mirrorChanges.emplace_back(id, master);
        }
        int completeForSession() override
        {
            ++state_->completed;
            return error_;
        }

    private:
        std::shared_ptr<State> state_;
        int error_;
    };

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace vantrel::test
