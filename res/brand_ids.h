// The string resources that carry the build's product settings into the programs' code (both
// programs' resource scripts have them, through version.rc).
#pragma once

#define IDS_BRAND_PRODUCT 200
#define IDS_BRAND_COMPANY 201
#define IDS_BRAND_VERSION 202
