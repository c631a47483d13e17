#pragma once

#include <array>
#include <string_view>

namespace ovena {

// The colour templates of the HTML page: eleven fields separated by ";", used by position.
enum class HTMLTemplateField {
    PageBackground = 1,
    LinkColour,
    VisitedLinkColour,
    ActiveLinkColour,
    FontColour,
    FontFace,
    CaptionBackground,
    CaptionColour,
    TableBackground,
    TextColour,
    OddRowBackground,
};

// The built-in templates in the order of THTML_Template (htClassic, htSimple, htPlain, htMurky,
// htMS_Money, htColorful, htGray, htOlive, htBW).
inline constexpr std::array<std::string_view, 9> HTMLBuiltInTemplates = {
    "#333399;#69EF7D;#FF00FF;#00FF00;#FFFFFF;Arial,Helvetica;#FF0000;#FFFFFF;#006BCE;#FFFFFF;#"
    "007AEC",
    "#FFFFFF;blue;purple;red;#004080;Arial,Helvetica;#336699;#FFFFFF;#FFFFFF;#000000;#FFFFCF",
    "#FFFFFF;blue;purple;red;#000000;;#068FE6;#FFFFFF;#FFFFFF;#000000;#FFFCD9",
    "#317676;#FFE760;#CCCC39;#FFFF00;#FFFFFF;Arial,Helvetica;#3A9393;#FFFFFF;#004040;#FFE760;#"
    "000000",
    "#FFFFFF;blue;purple;red;#000080;Arial,Helvetica;#CEC6B5;#000000;#DEE7DE;#000000;#FFFBF0",
    "#339966;#0066CC;#923FC1;red;#FFFFFF;Geneva,Arial,Helvetica;#CC0033;#FFFFFF;#FFFFFF;#000000;"
    "#FAF100",
    "#FFFFFF;blue;purple;red;#000000;Arial,Helvetica;#808080;#FFFFFF;#FFFFFF;#000000;#EEEEEE",
    "#FFFFFF;blue;purple;red;#000000;Verdana,Arial,Helvetica;#CFC890;#000000;#FFFFFF;#5F605F;"
    "#FFFFCF",
    "#FFFFFF;blue;purple;red;#000000;Arial,Helvetica;#000000;#FFFFFF;#FFFFFF;#000000;#F3F3F3",
};

} // namespace ovena
