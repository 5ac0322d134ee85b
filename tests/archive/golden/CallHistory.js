var CallHistoryContent={
	"Version":	{
		"Current":	"1.0.0"
	},
	"Group_1":	{
		"1":	{
			"SessionID":	"1",
			"Name":	"Doe Jane",
			"Phone":	"555",
			"CallDate":	"2024-03-05 14:07:09",
			"CallStatus":	"1",
			"Duration":	"61",
			"Headimg":	"",
			"isDelete":	"0"
		},
		"2":	{
			"SessionID":	"2",
			"Name":	"Doe Jane",
			"Phone":	"555",
			"CallDate":	"2024-03-05 14:07:09",
			"CallStatus":	"3",
			"Duration":	"0",
			"Headimg":	"",
			"isDelete":	"0"
		}
	},
	"Group_2":	{
		"1":	{
			"SessionID":	"3",
			"Name":	"",
			"Phone":	"777",
			"CallDate":	"2024-03-05 14:07:09",
			"CallStatus":	"5",
			"Duration":	"3600",
			"Headimg":	"",
			"isDelete":	"0"
		}
	}
};