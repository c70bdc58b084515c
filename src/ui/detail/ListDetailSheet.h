#pragma once

// The sheets of a list's screen, each opened by one state of the screen: the list editor
// ("Edit list…" and the header), the tag order ("Arrange tags…"), the item editor (a row's text).
// The sharing set-up, the person and the cloud sharing sheets are wired the same way, though no
// control of this build opens them.
enum class ListDetailSheet { listEditor, tagOrder, itemEditor, sharingSetup, person, cloudSharing };
