#include "ui/albums/AlbumWindowKeys.h"

#include "res/resource.h"

AlbumKeyAction AlbumWindowKeyAction(UINT message, WPARAM key, AlbumKeyPlace place, bool controlWantsKey,
                                    bool withModifier)
{
    if (message != WM_KEYDOWN || withModifier)
        return {};
    switch (key) {
    case VK_F5:
        return {IDC_REFRESH, true};
    case VK_RETURN:
        if (controlWantsKey)
            return {};
        if (place == AlbumKeyPlace::Pattern)
            return {IDC_SELECT_BY_PATTERN, true};
        if (place == AlbumKeyPlace::List)
            return {IDC_PHOTO_LIST, true};
        return {};
    case VK_ESCAPE:
        // Escape would end the program: it closes only an open drop-down.
        return {0, !controlWantsKey};
    default:
        return {};
    }
}
