#pragma once
// Annotation filter for PDFDoc::displayPage: link annotations are neither painted into the
// picture nor seen by rule capture or the text pass. Other annotations are displayed.
class Annot;

bool raster_annot_not_link(Annot* annot, void* user_data);
