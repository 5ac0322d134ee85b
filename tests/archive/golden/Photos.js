var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"0":	{
		"SessionID":	"1",
		"Title":	"IMG_1",
		"Filename":	"IMG_1",
		"Suffix":	".jpg",
		"Filesize":	"1001",
		"Modiftime":	"2024-03-05 14:07:09",
		"Createtime":	"1970-01-01 00:00:00",
		"isDelete":	"0"
	},
	"1":	{
		"SessionID":	"2",
		"Title":	"IMG_1",
		"Filename":	"IMG_1(1)",
		"Suffix":	".jpg",
		"Filesize":	"1002",
		"Modiftime":	"2024-03-05 14:07:09",
		"Createtime":	"1970-01-01 00:00:00",
		"isDelete":	"0"
	},
	"2":	{
		"SessionID":	"3",
		"Title":	"IMG_1",
		"Filename":	"IMG_1(2)",
		"Suffix":	".jpg",
		"Filesize":	"1003",
		"Modiftime":	"2024-03-05 14:07:09",
		"Createtime":	"1970-01-01 00:00:00",
		"isDelete":	"0"
	},
	"3":	{
		"SessionID":	"4",
		"Title":	"",
		"Filename":	"untitled",
		"Suffix":	"",
		"Filesize":	"1004",
		"Modiftime":	"2024-03-05 14:07:09",
		"Createtime":	"1970-01-01 00:00:00",
		"isDelete":	"0"
	},
	"4":	{
		"SessionID":	"5",
		"Title":	"../../x",
		"Filename":	"_._.__x",
		"Suffix":	"",
		"Filesize":	"1005",
		"Modiftime":	"2024-03-05 14:07:09",
		"Createtime":	"1970-01-01 00:00:00",
		"isDelete":	"0"
	}
};