#!/usr/bin/python3
"""The Ports list stops a listener, the way a person does it: a listener of the test's own
on 127.0.0.1 appears as a row in the open panel; typing its port into the search field
leaves that one row; k raises the card naming exactly that process; Return ends it.

The machine may hold many other listeners (of the same user, or of root in CI): the
scenario presses k only once the accessibility tree shows that one row alone, and Return
only once the card names the test's own PID. It never signals anything itself."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import quaylight_e2e as e2e  # noqa: E402


def test(run):
    listener, _, panel, _ = e2e.open_on_own_listener(run)

    # Down hands the keys to the list, whose first (only) row is selected; k asks first.
    run.key("Down")
    run.key("k")

    e2e.wait_kill_card(run, listener.pid)
    if os.environ.get("E2E_SHOTS"):
        run.screenshot("shot-card", panel["id"])
    e2e.check(listener.poll() is None, "the listener still runs while the card asks")

    e2e.confirm_kill_card(run, listener, "Return")


if __name__ == "__main__":
    sys.exit(e2e.main(test))
