#include "QuaylightKit/listener/PortListener.h"

#include "QuaylightKit/bind/ListenerURLResolver.h"

namespace quaylight {

std::optional<std::string> PortListener::openableURL() const {
    return ListenerURLResolver::url(port, endpoints, process->argv);
}

}  // namespace quaylight
