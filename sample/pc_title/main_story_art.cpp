#include "sample/pc_title/install_tree.h"

namespace pc_title {

const std::vector<SamplePicture>& MainStoryPictures() {
    static const std::vector<SamplePicture> pictures;
    return pictures;
}

}  // namespace pc_title
