#pragma once

#include <QString>

#include <string>

// Why a certificate could not be verified, in the window's language: the common results of
// OpenSSL's verification by their X509_V_ERR number (TCertificateInfo::NoCertificate: none was
// sent). A number without a text of its own gets a general sentence; OpenSSL's own words are
// shown beside it as the detail.
QString VerifyReasonText(long code, bool germanUI);
