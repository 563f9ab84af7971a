-- A small caller-identification database with the tables the screening reads,
-- indexed as the platform's: numbers are unique, and the identification
-- entries are keyed by (phone_number_id, label_id).
CREATE TABLE PhoneNumber (id INTEGER PRIMARY KEY, number TEXT UNIQUE);
CREATE TABLE PhoneNumberIdentificationEntry (phone_number_id INTEGER NOT NULL,
  label_id INTEGER NOT NULL, PRIMARY KEY (phone_number_id, label_id));
CREATE TABLE Label (id INTEGER PRIMARY KEY, localized_label TEXT);
INSERT INTO Label VALUES (1, '广告推销'), (2, '快递送餐'), (3, '疑似诈骗');
INSERT INTO PhoneNumber VALUES (1, '862188886666'), (2, '8613588886666'), (3, '95555');
INSERT INTO PhoneNumberIdentificationEntry VALUES (1, 1), (2, 2), (3, 3);
