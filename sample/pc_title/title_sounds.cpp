#include "sample/pc_title/install_tree.h"

namespace pc_title {

const std::vector<SampleSound>& TitleSounds() {
    static const std::vector<SampleSound> sounds;
    return sounds;
}

}  // namespace pc_title
