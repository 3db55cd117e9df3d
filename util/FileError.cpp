#include "util/FileError.h"

#include <new>

std::string ErrorTextFor(const std::exception& error) {
    if (dynamic_cast<const CFileException*>(&error) != nullptr) {
        return error.what();
    }
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return "ﾒﾓﾘが足りません。他のｱﾌﾟﾘｹｰｼｮﾝを終了してから、もう一度お試し下さい。";
    }
    // The system's own words stay as a clue for whoever looks into it.
    return std::string("予期しないｴﾗｰが発生しました。(") + error.what() + ")";
}
