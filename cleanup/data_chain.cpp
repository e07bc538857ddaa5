#include "cleanup/cleanup.h"
#include "cleanup/join_path.h"

namespace cleanup {

void PrepareDataChain(Platform& os, std::string& path, std::vector<std::string>& chain) {
    // The maker's folder, the client's folder, the application data folder.
    for (const char* level : {"K-ORB", "zelkor", "app"}) {
        path = JoinPath(os, path, level);
        // An existing folder is the usual case, and one that cannot be made
        // is reported when its removal fails; neither stops the run.
        os.CreateDirectoryA(path.c_str(), nullptr);
        chain.push_back(path);
    }
}

}  // namespace cleanup
