/* Identifiers of the server file's own resources, shared by server/Apparata.rc and the
   server's code; plain preprocessor definitions, as the resource compiler reads them too. */
#ifndef APPARATA_RESOURCE_IDS_H
#define APPARATA_RESOURCE_IDS_H

/* TYPELIB: the type library that LoadTypeLibEx finds in the file by default. */
#define IDR_TYPELIB 1

/* BITMAP: the toolbox pictures of the classes, in the order of the class table. */
#define IDB_TOOLBOX_B740X 1
#define IDB_TOOLBOX_HP4191X 2
#define IDB_TOOLBOX_E712X 3

/* STRING: the name of verb 0. The driver layer's messages keep their own numbers. */
#define IDS_VERB_PROPERTIES 1

#endif
