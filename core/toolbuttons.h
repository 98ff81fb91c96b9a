#pragma once

namespace korvanta {

// The tool buttons ToolButton(0) to ToolButton(6), named by what they do. The value is the
// button's index: its objectName carries it and its pictures are numbered from it.
enum class ToolButtonId : int {
    SwitchData = 0, // open the selected file; in the data view back to the file list
    FolderPaneOrReList = 1, // show or hide the folder pane; in the data view re-list in file order
    BrowseFolder = 2, // browse for another folder
    ToolMenu = 3, // pop up the tool menu of options
    SortDescending = 4,
    SortAscending = 5,
    OpenWeb = 6, // open the Web or mail address of the last copy
};

// The four pictures of a tool button, in the order of their numbers.
enum class ButtonFace : int {
    Normal = 0, // enabled, the pointer elsewhere
    Hover = 1, // the pointer over the button
    Pressed = 2, // a mouse button went down on it
    Disabled = 3,
};

// The number of `button`'s picture for `face` among the pictures ButtonImage(0) to
// ButtonImage(27), four per button.
constexpr int buttonImageElement(ToolButtonId button, ButtonFace face)
{
    return 4 * int(button) + int(face);
}

} // namespace korvanta
