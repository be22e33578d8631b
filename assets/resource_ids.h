/* Resource numbers of Weighlet, shared by weighlet.rc and the C++ code. */
#ifndef WEIGHLET_RESOURCE_IDS_H
#define WEIGHLET_RESOURCE_IDS_H

#define IDI_WEIGHLET 1       /* ICON: weighlet.ico, the icon of both windows */
#define IDR_LCD_FONT 101     /* RCDATA: lcd_font.ttf, the whole TrueType file */
#define IDR_ABOUT_TOP 122    /* RCDATA: about_top.bmp, the whole BMP file */
#define IDR_ABOUT_BOTTOM 124 /* RCDATA: about_bottom.bmp, the whole BMP file */

#endif
