#include "Quaylight/shell/app/LiveNotchIndicator.h"

#include "Quaylight/notch/NotchIslandIndicator.h"

namespace quaylight {
namespace {

class LiveNotchIndicator final : public NotchIndicator {
public:
    NotchIslandPresentation latestPresentation() const override { return indicator_.latestPresentation(); }
    void setLatestPresentation(const NotchIslandPresentation& presentation) override {
        indicator_.setLatestPresentation(presentation);
    }
    bool isSynchronizingFromApp() const override { return indicator_.isSynchronizingFromApp(); }
    void setSynchronizingFromApp(bool synchronizing) override { indicator_.setSynchronizingFromApp(synchronizing); }
    NotchIslandDisposition presentLatest(const std::optional<NotchIslandPresentation>& presentationOverride) override {
        return indicator_.presentLatest(presentationOverride);
    }
    void hide() override { indicator_.hide(); }
    void shutDown() override { indicator_.shutDown(); }

private:
    NotchIslandIndicator indicator_;
};

}  // namespace

std::unique_ptr<NotchIndicator> makeLiveNotchIndicator() { return std::make_unique<LiveNotchIndicator>(); }

}  // namespace quaylight
