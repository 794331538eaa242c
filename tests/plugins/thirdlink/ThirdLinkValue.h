// The library thirdlink.dll links (3rd/thirdvalue.dll).
#pragma once

extern "C" int ThirdLinkValue();
