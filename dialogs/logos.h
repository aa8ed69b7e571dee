#pragma once

#include <QIcon>
#include <QPixmap>

// The program's two pictures, drawn rather than shipped: the logo mark
// (150 x 61) and the name banner beside it (245 x 61). The main window and
// the about box show both along their top edge.
QPixmap TavolanLogoPixmap();
QPixmap TavolanBannerPixmap();
// The program's icon (window, notification area).
QIcon TavolanIcon();
