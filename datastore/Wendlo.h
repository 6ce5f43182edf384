#pragma once
// The public face of the Wendlo data-access library: the interface _Trip, the factory that
// creates the class Trip by its identity, and the hooks a host program installs.

#include "MsgBoxStyle.h"
#include "Recordset.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#define WENDLO_EXPORT __attribute__((visibility("default")))

// A calendar date, with a time of day only when hasTime is set.
struct WendloDate {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool hasTime = false;
};

// The connection object of a Trip; opaque to callers.
class Connection;

// The interface of the class Trip, methods in interface order. Arguments are by reference as the
// callers pass them; Clean changes its argument in place.
class _Trip {
public:
    virtual ~_Trip() = default;

    // Public members of the class.
    std::shared_ptr<Connection> conDataBase;
    std::string strFunction;
    std::string strConnect;

    virtual RecordsetPtr LoadTrip() = 0;
    virtual RecordsetPtr LoadTripReport(std::string& strID) = 0;
    virtual RecordsetPtr RefreshTrip() = 0;
    virtual bool AddTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                         std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate) = 0;
    virtual bool DeleteTrip(std::string& strID) = 0;
    virtual bool UpdateTrip(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                            std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney,
                            float& sngRate) = 0;
    virtual RecordsetPtr GetNewTripID() = 0;
    virtual RecordsetPtr LoadOwner() = 0;
    virtual bool AddOwner(std::vector<std::string>& strText) = 0;
    virtual bool UpdateOwner(std::vector<std::string>& strText) = 0;
    virtual std::string Clean(std::string& strText) = 0;
};

// One trip of a batch: the six arguments of AddTrip.
struct WendloTrip {
    std::vector<std::string> strText; // 0 identifier (set by the batch), 1 notes, 2 destination
    WendloDate datDate;
    std::int16_t intMiles = 0;
    std::vector<std::int32_t> lngNumbers; // 0 start odometer, 1 end odometer
    std::vector<float> sngMoney;          // 0 to 9 as in AddTrip
    float sngRate = 0.0f;
};

// Hands a batch its trips one at a time, so that a long file is never held whole.
class WendloTripSource {
public:
    virtual ~WendloTripSource() = default;
    // Fills trip with the next trip and returns 1; returns 0 after the last one, and -1 to stop the
    // batch (nothing is stored then).
    virtual int NextTrip(WendloTrip& trip) = 0;
};

enum : std::int32_t { WENDLO_BATCH_STOPPED = -2 }; // the source stopped the batch: nothing stored or logged

// The interface of the class Trip with its batch write; the same object answers as _Trip. A host
// asks for it by IID__TripBatch, so a host built for _Trip alone keeps working unchanged.
class _TripBatch : public _Trip {
public:
    // Adds every trip in one transaction, each under the identifier AddTrip's caller would form for it
    // ("T-" and one more than the highest ID, or the next number above it that no trip carries), which is
    // written into its strText[0]. Returns how many were stored, or -1 when the batch failed: then none
    // is stored and the error log has an entry.
    virtual std::int32_t AddTrips(std::vector<WendloTrip>& trips) = 0;
};

// The interface of the class Trip with its trip history (tblTripHistory, filled by triggers on tblMain);
// the same object answers as _TripBatch and _Trip. A host asks for it by IID__TripHistory.
enum WendloRestoreResult : std::int32_t {
    WENDLO_RESTORE_FAILED = 0,   // nothing written; the error log has an entry
    WENDLO_RESTORED = 1,         // the trip was stored again, under the Trip ID now in strTripID
    WENDLO_RESTORED_OVER = 2,    // the stored trip with that Trip ID now holds the entry's values
    WENDLO_RESTORE_ID_TAKEN = 3, // a deleted trip whose Trip ID another stored trip has: nothing written
    WENDLO_RESTORE_NO_ENTRY = 4, // no history entry with that number
    WENDLO_RESTORE_UNUSABLE = 5, // the entry has no Trip ID, or text in a number column: nothing written
};

class _TripHistory : public _TripBatch {
public:
    // Adds tblTripHistory and its triggers where they are missing, with the tables they read (as
    // _TripRecords::PrepareRecords does), in one transaction, touching no trip and no profile row. False when
    // the database cannot be changed: then the error log has an entry (a failure that repeats the one logged
    // before for the same file is not logged again).
    virtual bool PrepareHistory() = 0;
    // Every history entry, newest first: HistoryID, ChangeDate, ChangeType ('deleted' or 'updated'), the
    // columns of tblMain as they were, then the trip's VehicleID and Purpose (null when it had none). No
    // record set when there is no history.
    virtual RecordsetPtr LoadHistory() = 0;
    // Writes entry lngHistoryID back through the trip table. A deleted trip is stored again with its Trip ID,
    // values and kept ID (a new ID when another row has that one), or, with blnNewTripID, under the Trip ID
    // AddTrip's caller would form and a new ID; an updated one is written over the one stored trip it was
    // kept from (its ID and Trip ID), which goes into the history itself, and stored again when that trip
    // is gone. The trip's vehicle and purpose come back with it (the first vehicle when the kept one is gone).
    // strTripID receives the Trip ID the restored trip has.
    virtual std::int32_t RestoreTrip(std::int64_t& lngHistoryID, bool& blnNewTripID, std::string& strTripID) = 0;
    // Removes the entries made before the day datBefore. Returns how many, or -1 when nothing could be
    // removed (then the error log has an entry).
    virtual std::int32_t EmptyHistory(WendloDate& datBefore) = 0;
};

// The interface of the class Trip with the batch that reads its trips from a source and the reason the
// history cannot be kept; the same object answers as _TripHistory, _TripBatch and _Trip. A host asks for
// it by IID__TripKeeping; the interfaces before it are as they were, so hosts built for them keep working.
class _TripKeeping : public _TripHistory {
public:
    // AddTrips for the trips a source hands over; WENDLO_BATCH_STOPPED when the source stopped it.
    virtual std::int32_t AddTripsFrom(WendloTripSource& source) = 0;
    // Why the last PrepareHistory or PrepareRecords of this object returned false: the error number (SQLite's
    // result code or one of the library's own) and, in strDescription, the text the error log has; 0 and no
    // text after one that returned true.
    virtual std::int32_t HistoryFailure(std::string& strDescription) = 0;
};

// A vehicle as AddVehicle and UpdateVehicle take it.
struct WendloVehicle {
    std::int64_t lngVehicleID = 0; // set by AddVehicle
    std::string strName;           // required, and no other vehicle's (letters A to Z compared without case)
    std::string strDescription;    // the plate
    WendloDate datInService;       // the day placed in service; year 0 for none
    bool blnRetired = false;
    bool blnCarryOdometer = false; // a new trip starts at the vehicle's last End reading
};

// A vehicle's odometer readings at the start and end of a year; a reading left empty is not stored, and the
// windows propose one from the trips.
struct WendloVehicleYear {
    std::int64_t lngVehicleID = 0;
    std::int32_t intYear = 0;
    std::optional<std::int32_t> lngStartOdometer;
    std::optional<std::int32_t> lngEndOdometer;
};

// A rate per mile from a day on, until the next rate's day.
struct WendloRate {
    std::int64_t lngRateID = 0; // set by AddRate
    WendloDate datFrom;         // the day only; stored as yyyy-mm-dd
    float sngRate = 0.0f;
    std::string strNote;
};

// One trip of a batch with its vehicle and business purpose.
struct WendloTripRecord {
    WendloTrip trip;
    std::int64_t lngVehicleID = 0; // a stored vehicle
    std::string strPurpose;
};

// Hands a batch of trip records over one at a time, as WendloTripSource does for trips.
class WendloTripRecordSource {
public:
    virtual ~WendloTripRecordSource() = default;
    // Fills record with the next one and returns 1; returns 0 after the last one, and -1 to stop the batch
    // (nothing is stored then).
    virtual int NextTrip(WendloTripRecord& record) = 0;
};

// What a write of vehicles, years and rates did. Every refusal writes nothing and logs nothing.
enum WendloRecordsResult : std::int32_t {
    WENDLO_RECORDS_FAILED = 0,          // nothing written; the error log has an entry
    WENDLO_RECORDS_DONE = 1,            // stored (or deleted)
    WENDLO_RECORDS_NOT_FOUND = 2,       // no vehicle or rate with that ID
    WENDLO_RECORDS_NO_NAME = 3,         // a vehicle name that is empty once cleaned
    WENDLO_RECORDS_NAME_TAKEN = 4,      // another vehicle has that name
    WENDLO_RECORDS_HAS_TRIPS = 5,       // a vehicle that has trips is not deleted (retire it)
    WENDLO_RECORDS_LAST_VEHICLE = 6,    // the only vehicle is not deleted: trips need one to belong to
    WENDLO_RECORDS_END_BELOW_START = 7, // a year's end reading lower than its start reading
    WENDLO_RECORDS_NEGATIVE = 8,        // a negative rate or reading, or a rate that is no number
    WENDLO_RECORDS_DATE_TAKEN = 9,      // another rate starts on that day
};

// The interface of the class Trip with the records of a mileage log: vehicles, their years' readings, each
// trip's vehicle and business purpose, and rates by date. The same object answers as _TripKeeping and the
// interfaces before it. A host asks for it by IID__TripRecords.
//
// Each trip's vehicle and purpose are kept in tblTripInfo by the trip's ID. A trip without an entry there (stored
// by AddTrip, AddTrips or an older program) belongs to the first vehicle (the lowest VehicleID) and has no
// purpose: the reads below give it so, and the app never has to guess. Deleting a trip removes its entry in the
// same transaction; the history keeps it with the trip, and RestoreTrip writes it back. Texts are stored by
// Clean's rule. Writes log their failures as AddTrip does, under their own names ("AddVehicle - DLL Function").
class _TripRecords : public _TripKeeping {
public:
    // Adds everything after tblMain and tblOwner that is missing (the history, the vehicles, the trips' info and
    // the rates, the history's newer columns and triggers) in one transaction, touching no trip and no profile
    // row; a file that lacked the vehicles gains "My vehicle", holding every trip stored. PrepareHistory does the
    // same, as the history's triggers read the trips' info. False when the file cannot be written; HistoryFailure
    // then gives the reason.
    virtual bool PrepareRecords() = 0;

    // Every trip, as LoadTrip gives it, followed by VehicleID and Purpose (empty text for none); VehicleID is
    // null only in a file without the records (one PrepareRecords could not change).
    virtual RecordsetPtr LoadTripRecords() = 0;
    // AddTrip's INSERT, then the new trip's vehicle and purpose, in one transaction. lngVehicleID must be a
    // stored vehicle. True when stored.
    virtual bool AddTripRecord(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                               std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate,
                               std::int64_t& lngVehicleID, std::string& strPurpose) = 0;
    // UpdateTrip's UPDATE, then the vehicle and purpose of every trip with that Trip ID, in one transaction.
    virtual bool UpdateTripRecord(std::vector<std::string>& strText, WendloDate& datDate, std::int16_t& intMiles,
                                  std::vector<std::int32_t>& lngNumbers, std::vector<float>& sngMoney, float& sngRate,
                                  std::int64_t& lngVehicleID, std::string& strPurpose) = 0;
    // AddTripsFrom for trips with their vehicles and purposes: the same identifiers, all stored or none.
    virtual std::int32_t AddTripRecordsFrom(WendloTripRecordSource& source) = 0;

    // Every vehicle by VehicleID: VehicleID, Name, Description, InService (date text or null), Retired and
    // CarryOdometer (0 or 1), Trips (how many trips it has) and LastOdometer (the End reading of its trip stored
    // last, 0 for none).
    virtual RecordsetPtr LoadVehicles() = 0;
    virtual std::int32_t AddVehicle(WendloVehicle& vehicle) = 0;
    // Rewrites every field of vehicle lngVehicleID.
    virtual std::int32_t UpdateVehicle(WendloVehicle& vehicle) = 0;
    // Deletes a vehicle without trips, with its years' readings.
    virtual std::int32_t DeleteVehicle(std::int64_t& lngVehicleID) = 0;

    // Every stored year by VehicleID and Year: VehicleID, Year, StartOdometer, EndOdometer (null when not stored).
    virtual RecordsetPtr LoadVehicleYears() = 0;
    // Stores a year's readings; with neither reading the year's row is removed.
    virtual std::int32_t SetVehicleYear(WendloVehicleYear& year) = 0;

    // Every rate by date: RateID, FromDate (yyyy-mm-dd), Rate, Note.
    virtual RecordsetPtr LoadRates() = 0;
    virtual std::int32_t AddRate(WendloRate& rate) = 0;
    // Rewrites every field of rate lngRateID.
    virtual std::int32_t UpdateRate(WendloRate& rate) = 0;
    virtual std::int32_t DeleteRate(std::int64_t& lngRateID) = 0;
};

// Class and interface identities.
#define CLSID_Trip "{6A1E3C52-8D0B-4F7E-9C21-5B3D7E0A4F18}"
#define IID__Trip "{0F4B9D27-3C6E-4A85-B1D2-7E9A5C3F6B40}"
#define IID__TripBatch "{9C3E51A8-2B7D-4F06-8E4A-D15B7C2E9F63}"
#define IID__TripHistory "{4D7A2E90-6B1C-4E38-A5F2-8C09D3B61E7A}"
#define IID__TripKeeping "{B81F6C3D-95E2-4A07-8D4B-2C6E1F9A3D58}"
#define IID__TripRecords "{E2C94A17-5D3B-4F68-9A0E-7B1D46C8F325}"

// Factory results.
enum WendloResult : int {
    WENDLO_OK = 0,
    WENDLO_CLASS_NOT_AVAILABLE = 1, // no class with that identity
    WENDLO_NO_INTERFACE = 2,        // the class does not implement that interface
};

extern "C" {

// Shows one message box and returns the answer (vbOK, vbYes, vbNo, ...). style = buttons | icon | default.
typedef int (*WendloMessageHandler)(const char* text, const char* title, int style, void* context);
// Receives every SQL text a Trip method sends, before it runs.
typedef void (*WendloStatementTrace)(const char* sql, void* context);

// Creates a Trip into *object (delete it through the _Trip pointer). Returns a WendloResult.
// Asked for IID__TripBatch, *object points to a _TripBatch (static_cast it); for IID__TripHistory, to a
// _TripHistory; for IID__TripKeeping, to a _TripKeeping; for IID__TripRecords, to a _TripRecords.
WENDLO_EXPORT int WendloCreateObject(const char* clsid, const char* iid, _Trip** object);
typedef int (*WendloCreateObjectFn)(const char*, const char*, _Trip**);

// Without a handler, messages go to standard error and take the default button.
WENDLO_EXPORT void WendloSetMessageHandler(WendloMessageHandler handler, void* context);
typedef void (*WendloSetMessageHandlerFn)(WendloMessageHandler, void*);

WENDLO_EXPORT void WendloSetStatementTrace(WendloStatementTrace trace, void* context);
typedef void (*WendloSetStatementTraceFn)(WendloStatementTrace, void*);

// The application folder: the folder that holds this library, without a trailing slash.
WENDLO_EXPORT const char* WendloAppPath();
typedef const char* (*WendloAppPathFn)();
}
