#include "Quaylight/popover/PopoverRootFactory.h"

#include "Quaylight/popover/PopoverBinding.h"

namespace quaylight {

PopoverRootFactory makePopoverRootFactory() {
    return [](const PopoverContext& context) -> QWidget* {
        PopoverBinding::Environment environment;
        environment.viewModel = context.viewModel;
        environment.revealState = context.reveal;
        environment.connections = context.connections;
        // The delegate owns the store and outlives the panel.
        if (context.defaults) environment.defaults = std::shared_ptr<UserDefaults>(context.defaults, [](UserDefaults*) {});
        environment.dismissPanel = context.dismissPanel;
        environment.quit = context.quit;
        environment.onOnboardingGateChanged = context.onOnboardingGateChanged;
        auto* binding = new PopoverBinding(std::move(environment));
        PopoverRootView* root = binding->root();
        // The binding lives exactly as long as the view it drives.
        binding->setParent(root);
        return root;
    };
}

}  // namespace quaylight
