/* String resources of qvnetprov: the display labels of the domain kinds. */
#ifndef QVNETPROV_RESOURCE_H
#define QVNETPROV_RESOURCE_H

#define IDS_LABEL_DEFAULT_DOMAINS 1
#define IDS_LABEL_NIS_DOMAINS     2

#endif
