#pragma once

namespace st::app {

// The features a build shows. Fixed when the program is built: kEdition holds
// this build's values; windows take an EditionSwitches so tests can build
// them with the other values.
struct EditionSwitches {
    bool askLogin = true;
    bool showLoginFields = false;
    bool showAnonymousStart = true;
    bool showTerms = true;
    bool picturesOnly = false;
    bool showPictures = true;
    bool showDetailPictures = true;
    bool allowOwnComments = false;
    bool showComments = false;
    bool showCustomsCodes = true;
};

inline constexpr EditionSwitches kEdition{};

}  // namespace st::app
