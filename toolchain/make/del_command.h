#pragma once

#include <string>
#include <vector>

namespace avrtazu {

// The make tool's built-in "del": deletes the files that match each pattern ("*" and "?",
// letter case ignored as on Windows). Switches such as /F and /Q are accepted; a pattern that
// matches nothing is fine. A pattern may carry a Windows or relative folder.
class DelCommand {
public:
    // Returns the number of files deleted.
    static int run(const std::vector<std::string>& arguments);
};

} // namespace avrtazu
