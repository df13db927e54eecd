#include "sample/pc_title/install_tree.h"

namespace pc_title {

const std::vector<SampleFile>& TitleMovies() {
    static const std::vector<SampleFile> files;
    return files;
}

}  // namespace pc_title
