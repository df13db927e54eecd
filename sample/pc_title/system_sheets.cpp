#include "sample/pc_title/install_tree.h"
#include "sample/pc_title/sheet_kit.h"

namespace pc_title {

const std::vector<SamplePicture>& SystemSheets() {
    static const std::vector<SamplePicture> pictures = [] {
        std::vector<SamplePicture> all;
        for (const auto& part :
             {TitleSheets(), WindowSheets(), DateMapSheets(), GallerySheets(), StaffSheets()})
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }();
    return pictures;
}

}  // namespace pc_title
